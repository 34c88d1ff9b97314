#include "launcher_fixture.h"

#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace playdeck::test {
namespace {

TEST(FrameGeometry, AtMost780By500AndCentred)
{
    EXPECT_EQ(FrameGeometryFor({0, 0, 1024, 768}), QRect(122, 134, 780, 500));
    EXPECT_EQ(FrameGeometryFor({0, 0, 640, 480}), QRect(0, 0, 640, 480));
    // Odd leftovers round down, and a second screen keeps its own origin.
    EXPECT_EQ(FrameGeometryFor({1920, 0, 1281, 1001}), QRect(1920 + 250, 250, 780, 500));
}

TEST_F(LauncherTest, WindowSizeTitleToolbarAndStatusBar)
{
    ASSERT_NE(start(), nullptr);
    const QRect screen = frame->screen()->geometry();
    EXPECT_EQ(frame->frameGeometry(), FrameGeometryFor(screen));
    EXPECT_EQ(frame->windowTitle().toStdString(), "Quorvel Manager PLAYDECK32 - [" + game + "]");

    QToolBar* bar = frame->toolBar();
    EXPECT_EQ(bar->iconSize(), QSize(22, 22));
    EXPECT_EQ(bar->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    QStringList labels;
    QSize common;
    for (QAction* a : bar->actions()) {
        if (a->isSeparator()) {
            labels << QStringLiteral("|");
            continue;
        }
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a));
        ASSERT_NE(button, nullptr);
        labels << button->text();
        EXPECT_FALSE(button->icon().isNull());
        if (common.isEmpty())
            common = button->size();
        EXPECT_EQ(button->height(), common.height()) << button->text().toStdString();
        EXPECT_GE(button->width(), 22 + button->fontMetrics().horizontalAdvance(button->text()))
            << "label cut";
        EXPECT_TRUE(button->isVisible()) << "pushed off the toolbar";
    }
    EXPECT_EQ(labels.join(QLatin1Char(',')),
              QStringLiteral("Singleplayer,Multiplayer,MODs,|,Play level,Create shortcut,|,"
                             "View in PACKPEEK32,Edit in PACKFORGE32"));
    EXPECT_GE(common.height(), 28);

    EXPECT_EQ(frame->statusPane(2)->text(), QStringLiteral("V1.0 Beta 01 (Build 01)"));
    EXPECT_EQ(frame->statusPane(2)->width(), 150);
    EXPECT_GE(frame->statusPane(0)->width(), 150);
    EXPECT_GE(frame->statusPane(1)->width(), 150);
    // A status prompt leaves the version pane in place.
    frame->statusBar()->showMessage(QStringLiteral("Launch Red Faction with selected level"));
    EXPECT_TRUE(frame->statusPane(2)->isVisible());
}

TEST_F(LauncherTest, MenusCarryEveryItemKeyAndPrompt)
{
    ASSERT_NE(start(), nullptr);
    QStringList items;
    for (QAction* top : frame->menuBar()->actions()) {
        items << top->text();
        for (QAction* a : top->menu()->actions()) {
            if (a->isSeparator())
                continue;
            QString line = QStringLiteral("  ") + a->text();
            if (!a->shortcut().isEmpty())
                line += QStringLiteral(" [") + a->shortcut().toString() + QStringLiteral("]");
            if (!a->statusTip().isEmpty())
                line += QStringLiteral(" {") + a->statusTip() + QStringLiteral("|") + a->toolTip() +
                        QStringLiteral("}");
            items << line;
        }
    }
    const QStringList expected{
        "&View",
        "  &Singleplayer Missions [Ctrl+S] {Singleplayer Missions|Singleplayer Missions}",
        "  &Multiplayer Missions [Ctrl+M] {Multiplayer Missions|Multiplayer Missions}",
        "  M&ODs [Ctrl+O] {MODs|MODs}",
        "  &Refresh [F5]",
        "  &Options",
        "  E&xit",
        "&Level",
        "  &Play selected level [Return] {Launch Red Faction with selected level|Launch Red "
        "Faction with selected level}",
        "  &Create shortcut to level {Create shortcut (e.g. on Windows desktop)|Create shortcut "
        "(e.g. on Windows desktop)}",
        "  View .VPP in Quorvel Mananger PACKPEEK32 [F3] {Open .VPP file in Quorvel Manager "
        "PACKPEEK32|Open .VPP file in Quorvel Manager PACKPEEK32}",
        "  Edit .VPP in Quorvel Manager PACKFORGE32 [F4] {Edit .VPP file in Quorvel Manager "
        "PACKFORGE32|Edit .VPP file in Quorvel Manager PACKFORGE32}",
        "&Help",
        "  Check for new version",
        "  &About Quorvel Manager PLAYDECK32...",
    };
    EXPECT_EQ(items.join(QLatin1Char('\n')).toStdString(),
              expected.join(QLatin1Char('\n')).toStdString());

    // The pop-up of the list is the "&Level" menu, item for item.
    QStringList popup, level;
    for (QAction* a : frame->levelPopup()->actions())
        popup << a->text();
    for (QAction* a : frame->menuBar()->actions()[1]->menu()->actions())
        level << a->text();
    EXPECT_EQ(popup, level);
}

TEST_F(LauncherTest, AboutAndVersionCheckGoToTheToolsLibraryEachTime)
{
    const std::string count = world.temp() + "tools.txt";
    world.setEnv("QM_TOOLS_COUNT_FILE", count);
    qm::SetToolsLibraryPath(QM_COUNTING_TOOLS);
    ASSERT_NE(start(), nullptr);
    frame->action(CommandId::AppAbout)->trigger();
    frame->action(CommandId::AppAbout)->trigger();
    frame->action(CommandId::HelpCheckVersion)->trigger();
    qm::SetToolsLibraryPath("");
    EXPECT_EQ(qm::test::readFileBytes(count), "load\nDoAbout\nunload\nload\nDoAbout\nunload\n"
                                              "load\nDoQMVC\nunload\n");

    // Without the library both commands return at once and the window goes on.
    qm::SetToolsLibraryPath(world.root() + "/missing/libqm_tools.so");
    frame->action(CommandId::AppAbout)->trigger();
    frame->action(CommandId::HelpCheckVersion)->trigger();
    qm::SetToolsLibraryPath("");
    EXPECT_TRUE(frame->isVisible());
}

} // namespace
} // namespace playdeck::test
