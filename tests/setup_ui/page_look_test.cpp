#include "setup/ui/kit_page.h"
#include "setup/ui/progress_page.h"
#include "setup/ui/setup_page.h"
#include "setup_ui_support.h"
#include "support/dialog_fit.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <cstdlib>

namespace qmsetup::test {
namespace {

// The pages' size and frame; with QM_SCREENSHOT_DIR set the pictures are
// saved there (docs/qmsetup-*.png are made this way).
class PageLookTest : public SetupUiTest {
protected:
    void checkFrame(CPageFrame& page, const char* shotName)
    {
        EXPECT_EQ(page.size(), qm::ui::DialogUnitsToPixels({331, 226}));
        EXPECT_EQ(page.windowTitle(), "Quorvel Manager Setup");
        EXPECT_EQ(page.font(), qm::ui::DialogFont());
        qm::test::ExpectDialogFits(page);
        EXPECT_EQ(page.backButton()->text(), "< &Back");
        EXPECT_EQ(page.cancelButton()->text(), "Cancel");
        EXPECT_FALSE(page.backButton()->isEnabled());
        // The buttons sit below the etched line, inside the window.
        const QWidget* line = page.findChild<QWidget*>(QStringLiteral("etchedLine"));
        ASSERT_NE(line, nullptr);
        EXPECT_LT(line->geometry().bottom(), page.mainButton()->geometry().top());
        EXPECT_LE(page.cancelButton()->geometry().right(), page.width());
        EXPECT_LE(page.cancelButton()->geometry().bottom(), page.height());
        const auto* banner = page.findChild<QLabel*>(QStringLiteral("banner"));
        ASSERT_NE(banner, nullptr);
        EXPECT_EQ(banner->pixmap().size(), QSize(497, 60));
        if (const char* dir = std::getenv("QM_SCREENSHOT_DIR")) {
            EXPECT_TRUE(page.grab().save(QString::fromLocal8Bit(dir) + "/" + shotName));
        }
    }

    // Every text of the page shows whole in its control: labels wrap within
    // their height, buttons and check boxes fit their text on one line.
    // The kit written below kit/, as the setup program there finds it.
    Distribution writtenKit() const
    {
        const LocateResult located = LocateDistribution(world.root() + "/kit/qmsetup");
        EXPECT_TRUE(located.ok);
        return located.distribution;
    }
    // The kit page on screen with its first module chosen.
    static void showWithFirstModule(CKitPage& page)
    {
        page.initialise();
        page.show();
        page.moduleList()->setCurrentRow(0);
        page.refresh();
    }
    static void expectNothingClipped(const QWidget& page, const char* what)
    {
        for (const QLabel* l : page.findChildren<QLabel*>()) {
            if (l->isHidden() || l->text().isEmpty() || !l->pixmap().isNull())
                continue;
            const int needed =
                l->wordWrap() ? l->heightForWidth(l->width()) : l->sizeHint().height();
            EXPECT_LE(needed, l->height()) << what << ": " << l->text().toStdString();
            if (!l->wordWrap()) {
                EXPECT_LE(l->sizeHint().width(), l->width())
                    << what << ": " << l->text().toStdString();
            }
        }
        for (const QAbstractButton* b : page.findChildren<QAbstractButton*>()) {
            if (b->isHidden() || b->text().isEmpty())
                continue;
            QString shown = b->text();
            shown.remove(QRegularExpression(QStringLiteral("&(?!&)")));
            const QStyle* st = b->style();
            int needed = b->fontMetrics().horizontalAdvance(shown);
            if (qobject_cast<const QCheckBox*>(b))
                needed += st->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, b) +
                          st->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, b);
            else
                needed += 2 * (st->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b) / 2 +
                               st->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b));
            EXPECT_LE(needed, b->width()) << what << ": " << b->text().toStdString();
            EXPECT_LE(b->fontMetrics().height(), b->height())
                << what << ": " << b->text().toStdString();
        }
    }

    std::string suiteModule(const std::string& folder, const std::string& desc,
                            const std::string& ext, const std::string& text)
    {
        // The folder a player would see, not the test's temporary one.
        world.writeFile("kit/" + folder + "/" + folder, "program " + folder);
        return world.writeFile("kit/" + folder + "/qm_modul.dat",
                               "[Module]\nDesc=" + desc + "\nLong=" + folder +
                                   "\nVers=1.0 (Build 1)\n[Installation]\nEXEfile=" + folder +
                                   "\nDefaultDirectory=/home/player/QuorvelManager/" + folder +
                                   "\n[Files]\nNum=1\n1=" + folder +
                                   "\n[Extensions]\nNum=" + (ext.empty() ? "0" : "1\n1=" + ext) +
                                   "\n[Description]\nWhileInstallation=" + text + "\n");
    }
};

TEST_F(PageLookTest, NoTextOfSetupsPagesIsClipped)
{
    const std::string playdeck = suiteModule(
        "PLAYDECK32", "Quorvel Manager PLAYDECK32", "vpp",
        "The level and MOD launcher for Red Faction: lists your levels and MODs and starts the "
        "game with the one you choose.");
    world.writeFile("kit/qm_kit.dat",
                    "[General]\nVersion=1.0\nVersionBuild=1\n[Modules]\nNum=1\n1=PLAYDECK32\n");
    SetupOptions options = LoadSetupOptions("/home/player/QuorvelManager/PLAYDECK32");
    for (const bool configure : {false, true}) {
        CSetupPage page(configure, playdeck, options);
        ASSERT_TRUE(page.initialise());
        page.show();
        expectNothingClipped(page, configure ? "configure dialog" : "setup page");
    }
    // The repair presentation, with its "Install to a different path" button.
    writeRecord("Quorvel Manager PLAYDECK32", 1, "1.0 (Build 1)",
                "/home/player/QuorvelManager/PLAYDECK32");
    {
        CSetupPage page(false, playdeck, options);
        ASSERT_TRUE(page.initialise());
        page.show();
        ASSERT_FALSE(page.differentPathButton()->isHidden());
        expectNothingClipped(page, "setup page, repair");
        if (const char* dir = std::getenv("QM_SCREENSHOT_DIR")) {
            EXPECT_TRUE(page.grab().save(QString::fromLocal8Bit(dir) +
                                         QStringLiteral("/qmsetup-setup-page-repair.png")));
        }
    }
    const Distribution kit = writtenKit();
    std::vector<ModuleEntry> entries;
    SetupOptions kitOptions = LoadSetupOptions("");
    CKitPage kitPage(kit, kitOptions, entries);
    showWithFirstModule(kitPage);
    expectNothingClipped(kitPage, "kit page");
    KitJob job{kit.setupFolder, LoadKitHeader(kit.kitFile), {}, false};
    CProgressPage progress(job);
    progress.show();
    progress.runInstall();
    expectNothingClipped(progress, "progress page");
}

TEST_F(PageLookTest, SetupKitAndProgressPages)
{
    const std::string playdeck = suiteModule(
        "PLAYDECK32", "Quorvel Manager PLAYDECK32", "vpp",
        "The level and MOD launcher for Red Faction: lists your levels and MODs and starts the "
        "game with the one you choose.");
    suiteModule("GRIDLENS32L", "Quorvel Manager GRIDLENS32L", "tbl",
                "The table viewer: shows the game's .tbl files as coloured pages.");
    suiteModule("Tools", "Quorvel Manager Tools Library", "", "The suite's tools library.");
    world.writeFile("kit/qm_kit.dat", "[General]\nVersion=1.0\nVersionBuild=1\n[Modules]\nNum=3\n"
                                      "1=PLAYDECK32\n2=GRIDLENS32L\n3=Tools\n");
    world.writeFile("kit/uninstqm", "uninstaller");

    SetupOptions options = LoadSetupOptions("/home/player/QuorvelManager/PLAYDECK32");
    {
        CSetupPage page(false, playdeck, options);
        ASSERT_TRUE(page.initialise());
        page.show();
        checkFrame(page, "qmsetup-setup-page.png");
        EXPECT_EQ(page.mainButton()->text(), "I&nstall");
    }

    const Distribution kit = writtenKit();
    std::vector<ModuleEntry> entries;
    SetupOptions kitOptions = LoadSetupOptions("");
    {
        CKitPage page(kit, kitOptions, entries);
        showWithFirstModule(page);
        checkFrame(page, "qmsetup-kit-page.png");
    }

    for (ModuleEntry& e : entries)
        e.targetFolder = world.home() + "/QuorvelManager/" + e.longName;
    KitJob job{kit.setupFolder, LoadKitHeader(kit.kitFile), entries, false};
    CProgressPage progress(job);
    progress.show();
    progress.runInstall();
    EXPECT_EQ(progress.statusLine()->text(), "Installation of all modules completed successfully.");
    EXPECT_EQ(progress.mainButton()->text(), "Fi&nish");
    EXPECT_TRUE(progress.mainButton()->isEnabled());
    checkFrame(progress, "qmsetup-progress-done.png");
}

} // namespace
} // namespace qmsetup::test
