#include "setup/ui/kit_page.h"
#include "setup/ui/progress_page.h"
#include "setup/ui/setup_page.h"
#include "setup_ui_support.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace qmsetup::test {
namespace {

// A kit page opened on a kit, with the options and module entries it fills.
struct OpenedKitPage {
    explicit OpenedKitPage(const Distribution& kit) : page(kit, options, entries)
    {
        page.initialise();
    }
    SetupOptions options = LoadSetupOptions("");
    std::vector<ModuleEntry> entries;
    CKitPage page;
};

class KitPageTest : public SetupUiTest {
protected:
    void TearDown() override
    {
        CKitPage::setConfigureHook(nullptr);
        SetupUiTest::TearDown();
    }

    // A kit of modules named by their folders; returns its distribution.
    Distribution makeKit(const std::vector<std::pair<std::string, std::string>>& modules)
    {
        std::string kit = "[General]\nVersion=1\nVersionBuild=1\n[Modules]\nNum=" +
                          std::to_string(modules.size()) + "\n";
        int n = 0;
        for (const auto& [folder, desc] : modules) {
            kit += std::to_string(++n) + "=" + folder + "\n";
            writeModule("kit/" + folder, desc, "1.0 (Build 5)",
                        "[Files]\nNum=1\n1=tool\n[Extensions]\nNum=1\n1=" + folder + "\n");
            world.writeFile("kit/" + folder + "/tool", "program of " + desc);
        }
        world.writeFile("kit/qm_kit.dat", kit);
        const LocateResult r = LocateDistribution(world.root() + "/kit/qmsetup");
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.distribution.mode, SetupMode::Kit);
        return r.distribution;
    }

    // Highlights a line and runs one refresh, as the timer would.
    void highlight(CKitPage& page, int row)
    {
        page.moduleList()->setCurrentRow(row);
        page.refresh();
    }
};

TEST_F(KitPageTest, LowerHalfFollowsTheHighlightedModule)
{
    const Distribution kit = makeKit({{"one", "First Tool"}, {"two", "Second Tool"}});
    writeRecord("Second Tool", 5, "1.0 (Build 5)", world.home() + "/Installed/Two");
    OpenedKitPage opened(kit);
    auto& [options, entries, page] = opened;
    EXPECT_EQ(page.refreshTimer().interval(), 100);
    EXPECT_TRUE(page.refreshTimer().isActive());
    ASSERT_EQ(page.moduleList()->count(), 2);
    EXPECT_EQ(page.moduleList()->item(0)->text(), " First Tool");
    EXPECT_EQ(page.moduleList()->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(page.moduleList()->item(1)->checkState(), Qt::Unchecked); // same version
    EXPECT_TRUE(page.groupBox()->isHidden());
    EXPECT_TRUE(page.configureButton()->isHidden());

    page.refresh(); // nothing highlighted: nothing changes
    EXPECT_TRUE(page.groupBox()->isHidden());

    highlight(page, 0);
    EXPECT_FALSE(page.groupBox()->isHidden());
    EXPECT_EQ(page.groupBox()->title(), "First Tool");
    EXPECT_EQ(page.statusText()->text().toStdString(), "This module will be installed to\n" +
                                                           world.home() +
                                                           "/Tools/kit/one\nVersion 1.0 (Build 5)");
    EXPECT_EQ(page.descriptionText()->text(), "About First Tool");
    EXPECT_TRUE(page.configureButton()->isEnabled());
    EXPECT_TRUE(page.refreshTimer().isActive());

    // The check mark reaches the entry only through the refresh.
    page.moduleList()->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_TRUE(entries[0].selected);
    page.refresh();
    EXPECT_FALSE(entries[0].selected);
    EXPECT_EQ(page.statusText()->text(),
              "Select the module in the list above to install it.\n\nVersion 1.0 (Build 5)");
    EXPECT_FALSE(page.configureButton()->isEnabled());

    highlight(page, 1);
    EXPECT_EQ(page.statusText()->text().toStdString(),
              "This module is already installed in the same version in\n" + world.home() +
                  "/Installed/Two\nSelect it if you want to repair the installation.");
    page.moduleList()->item(1)->setCheckState(Qt::Checked);
    page.refresh();
    EXPECT_EQ(page.statusText()->text().toStdString(),
              "This module will be reinstalled (repaired) at\n" + world.home() +
                  "/Installed/Two\nVersion 1.0 (Build 5)");
}

TEST_F(KitPageTest, LaterModuleWinsThePrefixMatch)
{
    const Distribution kit = makeKit({{"full", "Tools Extra"}, {"short", "Tools"}});
    OpenedKitPage opened(kit);
    auto& [options, entries, page] = opened;
    highlight(page, 0); // " Tools Extra" begins with the later "Tools"
    EXPECT_EQ(page.groupBox()->title(), "Tools");
    EXPECT_EQ(page.descriptionText()->text(), "About Tools");
}

TEST_F(KitPageTest, NothingSelectedEndsWithTheNothingSelectedText)
{
    const Distribution kit = makeKit({{"one", "First Tool"}, {"two", "Second Tool"}});
    OpenedKitPage opened(kit);
    auto& [options, entries, page] = opened;
    for (int row = 0; row < 2; ++row) {
        page.moduleList()->item(row)->setCheckState(Qt::Unchecked);
        highlight(page, row);
    }
    page.updateBox()->setChecked(false);
    page.mainButton()->click();
    EXPECT_EQ(page.result(), QDialog::Accepted);
    EXPECT_FALSE(page.refreshTimer().isActive());
    EXPECT_FALSE(options.checkForUpdates);

    KitJob job{kit.setupFolder, LoadKitHeader(kit.kitFile), entries, options.checkForUpdates};
    CProgressPage progress(job);
    progress.runInstall();
    EXPECT_EQ(progress.statusLine()->text(),
              "There was nothing selected, so no changes have been made on your system.");
    EXPECT_EQ(progress.resultText()->text(),
              "Re-run setup to want to install, update or repair any modules.");
    EXPECT_TRUE(progress.mainButton()->isEnabled());
    EXPECT_FALSE(progress.cancelButton()->isEnabled());
    EXPECT_FALSE(progress.backButton()->isEnabled());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(world.home() + "/Tools/kit/one")));
}

TEST_F(KitPageTest, SelectingANewerInstalledModuleConfiguresAtOnce)
{
    const Distribution kit = makeKit({{"one", "First Tool"}, {"two", "Second Tool"}});
    const std::string installed = world.home() + "/Installed/Two";
    writeRecord("Second Tool", 9, "2.0 (Build 9)", installed);
    OpenedKitPage opened(kit);
    auto& [options, entries, page] = opened;
    ASSERT_EQ(entries[1].state, ModuleState::NewerInstalled);
    EXPECT_EQ(entries[1].targetFolder, installed + ".OLD");
    highlight(page, 1);
    EXPECT_EQ(page.statusText()->text(),
              "You already have a newer version of this module installed.");

    // No to the downgrade question: the check mark goes again.
    page.moduleList()->item(1)->setCheckState(Qt::Checked);
    qm::ui::MessageBox::setNextAnswer(QMessageBox::No);
    page.refresh();
    EXPECT_EQ(qm::ui::MessageBox::history().size(), 1u);
    EXPECT_EQ(page.moduleList()->item(1)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(entries[1].selected);
    EXPECT_EQ(entries[1].state, ModuleState::NewerInstalled);

    // Yes, then Cancel in the configure dialog: the same.
    std::vector<std::string> forbidden;
    CKitPage::setConfigureHook([&](CSetupPage& dialog) {
        forbidden = dialog.forbiddenFolders();
        QTimer::singleShot(0, &dialog, &QDialog::reject);
    });
    page.moduleList()->item(1)->setCheckState(Qt::Checked);
    qm::ui::MessageBox::setNextAnswer(QMessageBox::Yes);
    page.refresh();
    EXPECT_EQ(page.moduleList()->item(1)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(entries[1].selected);
    EXPECT_EQ(page.statusText()->text(), "");
    // The other module's target and the newer version's folder are refused.
    EXPECT_EQ(forbidden, (std::vector<std::string>{FolderCompareKey(entries[0].targetFolder),
                                                   FolderCompareKey(installed)}));

    // Yes and OK: the older version goes to its own folder.
    CKitPage::setConfigureHook([&](CSetupPage& dialog) {
        QTimer::singleShot(0, dialog.mainButton(), &QPushButton::click);
    });
    page.moduleList()->item(1)->setCheckState(Qt::Checked);
    qm::ui::MessageBox::setNextAnswer(QMessageBox::Yes);
    page.refresh();
    EXPECT_EQ(entries[1].state, ModuleState::OlderToNewFolder);
    EXPECT_TRUE(entries[1].selected);
    EXPECT_EQ(page.moduleList()->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(page.statusText()->text().toStdString(),
              "While a newer version of this module is already installed you have chosen to "
              "install this older version to a new directory:\n" +
                  installed + ".OLD");
}

TEST_F(KitPageTest, ConfiguringAnUpdateModuleReturnsItToUpdateInPlace)
{
    const Distribution kit = makeKit({{"one", "First Tool"}});
    const std::string installed = world.home() + "/Installed/One";
    writeRecord("First Tool", 2, "0.9 (Build 2)", installed);
    OpenedKitPage opened(kit);
    auto& [options, entries, page] = opened;
    highlight(page, 0);
    ASSERT_EQ(entries[0].state, ModuleState::UpdateInPlace);
    EXPECT_EQ(page.statusText()->text(), "This module will be updated.\nInstalled Version: 0.9 "
                                         "(Build 2)\nNew Version:1.0 (Build 5)");

    // Another folder and fewer options: UpdateToNewFolder.
    const std::string other = world.home() + "/Elsewhere";
    CKitPage::setConfigureHook([&](CSetupPage& dialog) {
        QTimer::singleShot(0, &dialog, [&dialog, other] {
            dialog.differentPathButton()->click();
            dialog.folderEdit()->setText(QString::fromStdString(other));
            dialog.desktopBox()->setChecked(true);
            dialog.extensionsBox()->setChecked(false);
            dialog.mainButton()->click();
        });
    });
    page.configureButton()->click();
    EXPECT_EQ(entries[0].state, ModuleState::UpdateToNewFolder);
    EXPECT_EQ(entries[0].targetFolder, other);
    EXPECT_TRUE(entries[0].createShortcutDesktop);
    EXPECT_FALSE(entries[0].associateFileExtensions);
    EXPECT_EQ(page.statusText()->text().toStdString(),
              "You have chosen to install the new version of this module to a new directory "
              "at\n" +
                  other + "\nVersion 1.0 (Build 5)");

    // The dialog shows the installed folder again; OK as it stands updates in place.
    QString shownFolder;
    bool editHidden = false;
    CKitPage::setConfigureHook([&](CSetupPage& dialog) {
        QTimer::singleShot(0, &dialog, [&] {
            shownFolder = dialog.folderEdit()->text();
            editHidden = dialog.folderEdit()->isHidden();
            dialog.mainButton()->click();
        });
    });
    page.configureButton()->click();
    EXPECT_EQ(shownFolder.toStdString(), installed);
    EXPECT_TRUE(editHidden);
    EXPECT_EQ(entries[0].state, ModuleState::UpdateInPlace);
    EXPECT_EQ(entries[0].targetFolder, installed);
    EXPECT_TRUE(entries[0].createShortcutDesktop);
}

} // namespace
} // namespace qmsetup::test
