#include "launcher_fixture.h"

#include <QHeaderView>
#include <QMenu>
#include <QTest>
#include <QToolBar>

namespace playdeck::test {
namespace {

const QStringList kLevelColumns{"Filename", "Level name", "Author", "Date"};
const std::vector<int> kLevelWidths{180, 160, 160, 220};
const QStringList kModColumns{"MOD name", "Level", "Level name", "Author", "Date"};
const std::vector<int> kModWidths{80, 100, 160, 160, 220};

TEST_F(LauncherTest, EachModeShowsItsColumnsAndTheCataloguesRows)
{
    ASSERT_NE(start(), nullptr); // a fresh installation: Singleplayer
    EXPECT_EQ(view->mode(), 0);
    EXPECT_EQ(headers(), kLevelColumns);
    EXPECT_EQ(widths(), kLevelWidths);
    EXPECT_EQ(rows(), ExpectedListing("single"));
    EXPECT_EQ(view->currentFolder(), game + "user_maps/single/");

    // The toolbar buttons switch modes, store the mode and check its items.
    struct Step {
        CommandId command;
        int mode;
        const char* listing;
        std::string folder;
    };
    for (const Step& s :
         {Step{CommandId::ViewMods, 2, "mods", game + "mods/"},
          Step{CommandId::ViewMultiplayer, 1, "multi", game + "user_maps/multi/"},
          Step{CommandId::ViewSingleplayer, 0, "single", game + "user_maps/single/"}}) {
        SCOPED_TRACE(s.listing);
        QTest::mouseClick(frame->toolBar()->widgetForAction(frame->action(s.command)),
                          Qt::LeftButton);
        EXPECT_EQ(view->mode(), s.mode);
        EXPECT_EQ(dword("LastMode"), static_cast<uint32_t>(s.mode));
        EXPECT_EQ(headers(), s.mode == 2 ? kModColumns : kLevelColumns);
        EXPECT_EQ(widths(), s.mode == 2 ? kModWidths : kLevelWidths);
        EXPECT_EQ(rows(), ExpectedListing(s.listing));
        EXPECT_EQ(view->currentFolder(), s.folder);
        EXPECT_EQ(frame->action(CommandId::ViewSingleplayer)->isChecked(), s.mode == 0);
        EXPECT_EQ(frame->action(CommandId::ViewMultiplayer)->isChecked(), s.mode == 1);
        EXPECT_EQ(frame->action(CommandId::ViewMods)->isChecked(), s.mode == 2);
    }

    // Refresh picks up what changed on disk; between scans nothing changes.
    QFile::remove(QString::fromStdString(game + "user_maps/single/Glass House.vpp"));
    EXPECT_EQ(rows(), ExpectedListing("single"));
    frame->action(CommandId::ViewRefresh)->trigger();
    EXPECT_EQ(rows().size(), ExpectedListing("single").size() - 1);

    // Headers do not sort.
    EXPECT_FALSE(view->horizontalHeader()->sectionsClickable());
    EXPECT_FALSE(view->isSortingEnabled());
    EXPECT_TRUE(view->showGrid());
    EXPECT_EQ(view->selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST_F(LauncherTest, LastModeTwoOpensInMods)
{
    setDword("LastMode", 2);
    ASSERT_NE(start(), nullptr);
    EXPECT_EQ(view->mode(), 2);
    EXPECT_EQ(headers(), kModColumns);
    EXPECT_EQ(rows(), ExpectedListing("mods"));
    EXPECT_TRUE(frame->action(CommandId::ViewMods)->isChecked());
    EXPECT_FALSE(frame->action(CommandId::ViewSingleplayer)->isChecked());
}

TEST_F(LauncherTest, BrokenLastModeShowsAnEmptyLevelListUntilAModeIsChosen)
{
    setDword("LastMode", 7);
    ASSERT_NE(start(), nullptr);
    EXPECT_EQ(headers(), kLevelColumns);
    EXPECT_TRUE(rows().isEmpty());
    for (CommandId id :
         {CommandId::ViewSingleplayer, CommandId::ViewMultiplayer, CommandId::ViewMods})
        EXPECT_FALSE(frame->action(id)->isChecked());
    frame->action(CommandId::ViewRefresh)->trigger(); // does nothing for mode 7
    EXPECT_EQ(dword("LastMode"), 7u);
    QTest::keyClick(view, Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(dword("LastMode"), 1u);
    EXPECT_EQ(rows(), ExpectedListing("multi"));
}

TEST_F(LauncherTest, LevelCommandsNeedExactlyOneRow)
{
    ASSERT_NE(start(), nullptr);
    const std::vector<CommandId> level{CommandId::LevelPlay, CommandId::LevelCreateShortcut,
                                       CommandId::LevelView, CommandId::LevelEdit};
    auto enabled = [&] {
        std::vector<bool> out;
        for (CommandId id : level)
            out.push_back(frame->action(id)->isEnabled());
        return out;
    };
    // A scan leaves its first row selected, ready for Return.
    EXPECT_EQ(view->GetSingleSelection(), 0);
    EXPECT_EQ(enabled(), std::vector<bool>(4, true));
    select({});
    EXPECT_EQ(enabled(), std::vector<bool>(4, false));
    select({1});
    EXPECT_EQ(view->GetSingleSelection(), 1);
    EXPECT_EQ(enabled(), std::vector<bool>(4, true));
    select({0, 2});
    EXPECT_EQ(view->GetSingleSelection(), -1);
    EXPECT_EQ(enabled(), std::vector<bool>(4, false));

    // In Mods View and Edit stay off even for one row.
    frame->action(CommandId::ViewMods)->trigger();
    select({2});
    EXPECT_EQ(enabled(), (std::vector<bool>{true, true, false, false}));
    // Every command of the list outside it stays on.
    for (CommandId id : {CommandId::ViewRefresh, CommandId::ViewOptions, CommandId::AppExit,
                         CommandId::HelpCheckVersion, CommandId::AppAbout})
        EXPECT_TRUE(frame->action(id)->isEnabled());
}

TEST_F(LauncherTest, RightButtonOpensTheLevelMenuAndKeepsTheSelection)
{
    ASSERT_NE(start(), nullptr);
    select({0});
    const QRect third = view->visualRect(view->levelModel()->index(2, 1));
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, third.center());
    EXPECT_TRUE(frame->levelPopup()->isVisible());
    EXPECT_EQ(view->GetSingleSelection(), 0);
    EXPECT_TRUE(frame->action(CommandId::LevelPlay)->isEnabled());
    frame->levelPopup()->close();
}

TEST_F(LauncherTest, TenThousandRowsFillTheModelInOrder)
{
    ASSERT_NE(start(), nullptr);
    std::vector<CatalogueRow> many;
    for (int i = 0; i < 10000; ++i)
        many.push_back({"level " + std::to_string(i) + ".vpp", "Level", "Author", "Date"});
    view->levelModel()->setRows(many);
    EXPECT_EQ(view->levelModel()->rowCount(), 10000);
    EXPECT_EQ(view->GetItemText(9999, 0), "level 9999.vpp");
    EXPECT_EQ(view->GetItemText(9999, 4), ""); // a column the row does not have
    EXPECT_EQ(view->GetItemText(10000, 0), "");
}

} // namespace
} // namespace playdeck::test
