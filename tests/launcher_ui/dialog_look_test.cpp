#include "common/ui/dialog_units.h"
#include "launcher/ui/options_dlg.h"
#include "launcher/ui/shortcut_wizard_dlg.h"
#include "launcher/ui/splash_dlg.h"
#include "launcher/ui/vpp_action_dlg.h"
#include "launcher_fixture.h"
#include "support/dialog_fit.h"
#include "xplook/flat_look.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <cstdlib>

namespace playdeck::test {
namespace {

// The dialogs' size and layout; with QM_SCREENSHOT_DIR set the pictures are
// saved there (docs/playdeck32-options.png, docs/playdeck32-shortcut-wizard.png
// and docs/flat-look-dialog.png are made this way).
class DialogLookTest : public LauncherTest {
protected:
    static void save(QWidget& w, const char* name)
    {
        if (const char* dir = std::getenv("QM_SCREENSHOT_DIR")) {
            EXPECT_TRUE(w.grab().save(QString::fromLocal8Bit(dir) + "/" + name));
        }
    }
    static std::string nameOf(const QWidget* w)
    {
        if (auto* l = qobject_cast<const QLabel*>(w))
            return l->text().toStdString();
        return w->objectName().toStdString();
    }
    // Every visible control lies inside the dialog, no two overlap, and
    // every text fits its control (a clipped label loses its words).
    static void checkLayout(QWidget& dialog)
    {
        std::vector<QWidget*> controls;
        for (QWidget* w : dialog.findChildren<QWidget*>()) {
            if (!w->isVisibleTo(&dialog) || w->parentWidget() != &dialog)
                continue;
            if (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w) &&
                !qobject_cast<QLineEdit*>(w))
                continue;
            controls.push_back(w);
            EXPECT_TRUE(dialog.rect().contains(w->geometry())) << nameOf(w);
        }
        qm::test::ExpectDialogFits(dialog);
        for (size_t i = 0; i < controls.size(); ++i) {
            for (size_t j = i + 1; j < controls.size(); ++j) {
                EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                    << nameOf(controls[i]) << " / " << nameOf(controls[j]);
            }
        }
    }
};

TEST_F(DialogLookTest, OptionsDialogAt387By228Units)
{
    COptionsDlg d;
    EXPECT_EQ(d.size(), qm::ui::DialogUnitsToPixels({387, 228}));
    EXPECT_EQ(d.font(), qm::ui::DialogFont());
    checkLayout(d);
    // Labels name the edit they describe.
    for (QLabel* l : d.findChildren<QLabel*>())
        EXPECT_NE(l->buddy(), nullptr) << l->text().toStdString();
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    save(d, "playdeck32-options.png");
}

TEST_F(DialogLookTest, ShortcutWizardAt331By226Units)
{
    CShortcutWizardDlg d({"glass house", "The Glass House", "", false});
    EXPECT_EQ(d.size(), qm::ui::DialogUnitsToPixels({331, 226}));
    checkLayout(d);
    d.locationButton(ShortcutLocation::Desktop)->click();
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    save(d, "playdeck32-shortcut-wizard.png");
}

// Dialog units are the design font's 6 x 13 base units, so the designed sizes
// hold on every desktop and each dialog fits a 640 x 480 screen, with every
// text whole in the font chosen for them.
TEST_F(DialogLookTest, EveryLauncherDialogFitsASmallScreen)
{
    ASSERT_EQ(qm::ui::DialogScale(), 1.0);
    EXPECT_EQ(qm::ui::DialogUnitsToPixels({387, 228}), QSize(581, 371));
    EXPECT_EQ(qm::ui::DialogUnitsToRect({330, 175, 50, 14}), QRect(495, 284, 75, 23));
    EXPECT_EQ(qm::ui::DialogUnitsToPixels({4, 8}, 1.5), QSize(9, 20));
    const QFontMetricsF fm(qm::ui::DialogFont());
    EXPECT_LE(fm.height(), 13.0);

    COptionsDlg options;
    qm::test::ExpectDialogFits(options);
    CShortcutWizardDlg level({"glass house", "The Glass House", "", false});
    level.locationButton(ShortcutLocation::StartMenu)->click();
    qm::test::ExpectDialogFits(level);
    CShortcutWizardDlg mod({"", "", "Rebellion", true});
    qm::test::ExpectDialogFits(mod);
    CSplashDlg splash;
    qm::test::ExpectDialogFits(splash);
    // Each play text, the longest one wrapping over lines, in the chooser.
    world.writeFile("Red Faction/user_maps/single/x.vpp", "not a packfile");
    world.writeFile("Red Faction/mods/m/x.vpp", "not a packfile");
    world.writeFile("Red Faction/elsewhere/reb01.vpp",
                    qm::test::readFileBytes(game + "mods/Rebellion/reb01.vpp"));
    for (const std::string& path :
         {game + "user_maps/single/x.vpp", game + "mods/m/x.vpp", game + "elsewhere/reb01.vpp",
          game + "mods/Rebellion/reb01.vpp"}) {
        CVppActionDlg chooser(path);
        qm::test::ExpectDialogFits(chooser);
    }
}

TEST_F(DialogLookTest, OptionsDialogTakesTheFlatLook)
{
    auto& look = qm::xp::FlatLookManager::Instance();
    look.InstallHook(qm::xp::HookMode::OnDialogInit);
    {
        COptionsDlg d;
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        // Edits, check boxes and buttons are taken; labels are not.
        for (QWidget* w : d.findChildren<QLineEdit*>())
            EXPECT_NE(look.controlOf(w), nullptr) << w->objectName().toStdString();
        for (QWidget* w : d.findChildren<QAbstractButton*>())
            EXPECT_NE(look.controlOf(w), nullptr) << w->objectName().toStdString();
        for (QWidget* w : d.findChildren<QLabel*>())
            EXPECT_EQ(look.controlOf(w), nullptr);
        // One edit under the mouse, as the picture shows it.
        QWidget* hot = d.findChild<QLineEdit*>(QStringLiteral("nameModsEdit"));
        look.PollHoverAt(hot->mapToGlobal(hot->rect().center()));
        EXPECT_EQ(look.hotWindow(), hot);
        d.repaint();
        save(d, "flat-look-dialog.png");
    }
    look.RemoveHook();
}

} // namespace
} // namespace playdeck::test
