#include "setup/ui/setup_page.h"
#include "setup_ui_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qmsetup::test {
namespace {

const char* kInvalid = "Please specify a valid path. Please note that UNC-paths (e.g. "
                       "\\\\server\\share) is not allowed. Also you may not install it to a root "
                       "dir of a drive.";
const char* kForbidden = "You cannot install the module into a directory that\n\na) is already "
                         "used for another Quorvel Manager module.\nb) is used for a newer "
                         "version of the same module.";

class SetupPageTest : public SetupUiTest {};

// Types text into the folder field and presses the main button.
bool typeAndPress(CSetupPage& page, const QString& folder)
{
    qm::ui::MessageBox::clearHistory();
    page.folderEdit()->setText(folder);
    return page.checkFolder();
}

TEST_F(SetupPageTest, FolderCheckRefusesRootsNetworkPathsAndForbiddenFolders)
{
    const std::string file = writeModule("m", "Level Tool", "1.0 (Build 3)");
    SetupOptions options = LoadSetupOptions(world.home() + "/Tools/m");
    CSetupPage page(true, file, options);
    EXPECT_FALSE(page.addForbiddenFolder(""));
    ASSERT_TRUE(page.addForbiddenFolder(world.home() + "/Games/Other/"));
    ASSERT_TRUE(page.initialise());

    for (const char* bad : {"/", "//server/share", "///", "relative/path", ""}) {
        EXPECT_FALSE(typeAndPress(page, QString::fromLatin1(bad))) << bad;
        ASSERT_EQ(qm::ui::MessageBox::history().size(), 1u) << bad;
        EXPECT_EQ(qm::ui::MessageBox::history()[0].caption, "Invalid path");
        EXPECT_EQ(qm::ui::MessageBox::history()[0].text, kInvalid);
        EXPECT_EQ(qm::ui::MessageBox::history()[0].icon, QMessageBox::NoIcon);
    }
    // The choices are stored before the check, refused or not.
    page.desktopBox()->setChecked(true);
    EXPECT_FALSE(typeAndPress(page, QStringLiteral("//server/share")));
    EXPECT_TRUE(options.createShortcutDesktop);
    EXPECT_EQ(options.targetFolder, "//server/share");

    EXPECT_TRUE(typeAndPress(page, QStringLiteral("/a")));
    EXPECT_TRUE(qm::ui::MessageBox::history().empty());
    EXPECT_EQ(options.targetFolder, "/a");

    const QString other = QString::fromStdString(world.home() + "/Games/Other");
    for (const QString& typed : {other, other + "/", other + "//", other.toUpper()}) {
        EXPECT_FALSE(typeAndPress(page, typed)) << typed.toStdString();
        ASSERT_EQ(qm::ui::MessageBox::history().size(), 1u);
        EXPECT_EQ(qm::ui::MessageBox::history()[0].text, kForbidden);
    }
    // A folder below a forbidden one is another folder.
    EXPECT_TRUE(typeAndPress(page, other + "/sub"));
}

TEST_F(SetupPageTest, ForbiddenListHoldsAtMost256Folders)
{
    const std::string file = writeModule("m", "Level Tool", "1.0 (Build 3)");
    SetupOptions options;
    CSetupPage page(true, file, options);
    for (int i = 0; i < CSetupPage::kMaxForbidden; ++i)
        ASSERT_TRUE(page.addForbiddenFolder("/f/" + std::to_string(i)));
    EXPECT_FALSE(page.addForbiddenFolder("/f/last"));
    EXPECT_EQ(page.forbiddenFolders().size(), size_t(CSetupPage::kMaxForbidden));
}

TEST_F(SetupPageTest, ExtensionBoxFollowsTheExtensionList)
{
    SetupOptions options;
    {
        CSetupPage page(false, writeModule("none", "No Ext", "1.0 (Build 3)"), options);
        ASSERT_TRUE(page.initialise());
        EXPECT_TRUE(page.extensionsBox()->isHidden());
    }
    {
        CSetupPage page(
            false, writeModule("zero", "Zero Ext", "1.0 (Build 3)", "[Extensions]\nNum=0\n1=vpp\n"),
            options);
        ASSERT_TRUE(page.initialise());
        EXPECT_TRUE(page.extensionsBox()->isHidden());
    }
    CSetupPage page(
        false, writeModule("two", "Two Ext", "1.0 (Build 3)", "[Extensions]\nNum=2\n1=a\n2=b\n"),
        options);
    ASSERT_TRUE(page.initialise());
    EXPECT_FALSE(page.extensionsBox()->isHidden());
    EXPECT_EQ(page.extensionsBox()->text(),
              "Assign supported file extensions to be opened with this tool (*.a; *.b).");
    EXPECT_EQ(page.welcomeText()->text(),
              "Welcome to Quorvel Manager Setup. This will install Two Ext to your hard disk.");
    EXPECT_EQ(page.descriptionText()->text(), "About Two Ext");
    EXPECT_EQ(page.versionText()->text(), "Two Ext\nVersion 1.0 (Build 3)");
    EXPECT_EQ(page.mainButton()->text(), "I&nstall");
    EXPECT_FALSE(page.backButton()->isEnabled());
    EXPECT_FALSE(page.updateBox()->isHidden());
    EXPECT_EQ(page.windowTitle(), "Quorvel Manager Setup");
}

TEST_F(SetupPageTest, DowngradeQuestionNoEndsSetupYesShowsAFreshInstall)
{
    const std::string file = writeModule("m", "Level Tool", "1.0 (Build 4)");
    writeRecord("Level Tool", 5, "1.1 (Build 5)", world.home() + "/Tools/Installed");
    SetupOptions options = LoadSetupOptions(world.home() + "/Tools/m");
    {
        qm::ui::MessageBox::setNextAnswer(QMessageBox::No);
        CSetupPage page(false, file, options);
        EXPECT_FALSE(page.run()); // closes without showing the page
        ASSERT_EQ(qm::ui::MessageBox::history().size(), 1u);
        const auto& q = qm::ui::MessageBox::history()[0];
        EXPECT_EQ(q.caption, "Quorvel Manager Setup");
        EXPECT_EQ(q.buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_NE(q.text.indexOf("Currently installed version: 1.1 (Build 5)\nThis version: V1.0 "
                                 "(Build 4)"),
                  -1);
    }
    // Yes: the fresh-install page; a single module forbids no folder, so the
    // newer version's folder is accepted.
    qm::ui::MessageBox::setNextAnswer(QMessageBox::Yes);
    CSetupPage page(false, file, options);
    ASSERT_TRUE(page.initialise());
    EXPECT_FALSE(page.folderEdit()->isHidden());
    EXPECT_TRUE(page.statusText()->isHidden());
    EXPECT_EQ(page.folderEdit()->text().toStdString(), world.home() + "/Tools/m");
    EXPECT_TRUE(typeAndPress(page, QString::fromStdString(world.home() + "/Tools/Installed")));
}

TEST_F(SetupPageTest, UpdateAndRepairPresentationsAndADifferentPath)
{
    const std::string installed = world.home() + "/Tools/Installed";
    writeRecord("Level Tool", 5, "1.1 (Build 5)", installed);
    SetupOptions options = LoadSetupOptions(world.home() + "/Tools/m");
    {
        CSetupPage page(false, writeModule("m6", "Level Tool", "1.2 (Build 6)"), options);
        ASSERT_TRUE(page.initialise());
        EXPECT_EQ(page.statusText()->text().toStdString(),
                  "You have currently installed V1.1 (Build 5) of this tool in " + installed +
                      ". This will update the current installation to V1.2 (Build 6).");
        EXPECT_FALSE(page.statusText()->isHidden());
        EXPECT_FALSE(page.differentPathButton()->isHidden());
        EXPECT_TRUE(page.folderEdit()->isHidden());
        EXPECT_TRUE(page.promptText()->isHidden());
        EXPECT_EQ(page.folderEdit()->text().toStdString(), installed);

        page.differentPathButton()->click();
        EXPECT_FALSE(page.folderEdit()->isHidden());
        EXPECT_FALSE(page.promptText()->isHidden());
        EXPECT_TRUE(page.statusText()->isHidden());
        EXPECT_TRUE(page.differentPathButton()->isHidden());
        EXPECT_EQ(page.folderEdit()->text().toStdString(), installed);
    }
    CSetupPage page(false, writeModule("m5", "Level Tool", "1.1 (Build 5)"), options);
    ASSERT_TRUE(page.initialise());
    EXPECT_EQ(page.statusText()->text().toStdString(),
              "You have already installed the module with the version at " + installed +
                  ". You can use this installer anyway in case you want to repair the "
                  "installation.");
    EXPECT_TRUE(qm::ui::MessageBox::history().empty());
}

// A keyboard user types the folder at once; Return still installs.
TEST_F(SetupPageTest, OpensWithTheFocusInTheFolderField)
{
    const std::string file = writeModule("m", "Level Tool", "1.0 (Build 3)");
    for (const bool configure : {false, true}) {
        SetupOptions options = LoadSetupOptions(world.home() + "/Tools/m");
        CSetupPage page(configure, file, options);
        ASSERT_TRUE(page.initialise());
        page.show();
        QApplication::processEvents();
        EXPECT_EQ(page.focusWidget(), page.folderEdit()) << configure;
        EXPECT_EQ(page.folderEdit()->selectedText(), page.folderEdit()->text());
        EXPECT_TRUE(page.mainButton()->isDefault());
        page.hide();
    }
}

TEST_F(SetupPageTest, ConfigureDialogHidesTheUpdateOptionAndReadsOk)
{
    SetupOptions options;
    options.targetFolder = "/opt/qm";
    options.createShortcutStartMenu = false;
    options.associateFileExtensions = true;
    options.checkForUpdates = true;
    CSetupPage page(true, writeModule("m", "Level Tool", "1.0 (Build 3)"), options);
    ASSERT_TRUE(page.initialise());
    EXPECT_EQ(page.welcomeText()->text(), "Configure settings for Level Tool:");
    EXPECT_TRUE(page.updateBox()->isHidden());
    EXPECT_TRUE(page.findChild<QLabel*>(QStringLiteral("updateNote"))->isHidden());
    EXPECT_EQ(page.mainButton()->text(), "OK");
    EXPECT_FALSE(page.startMenuBox()->isChecked());
    EXPECT_EQ(page.folderEdit()->text(), "/opt/qm");
    // The hidden update option is left as it was.
    EXPECT_TRUE(page.checkFolder());
    EXPECT_TRUE(options.checkForUpdates);
}

// A folder remembered with Windows-1252 bytes is shown readably and, left as
// it is, written back byte for byte; a typed one is taken as UTF-8.
TEST_F(SetupPageTest, TextBytesFolderKeepsItsBytesUnlessEdited)
{
    SetupOptions options;
    options.targetFolder = world.home() + "/Jeux/Caf\xE9";
    CSetupPage page(true, writeModule("m", "Level Tool", "1.0 (Build 3)"), options);
    ASSERT_TRUE(page.initialise());
    EXPECT_EQ(page.folderEdit()->text(),
              QString::fromStdString(world.home()) + QStringLiteral("/Jeux/Caf\u00E9"));
    EXPECT_TRUE(page.checkFolder());
    EXPECT_EQ(options.targetFolder, world.home() + "/Jeux/Caf\xE9");
    page.folderEdit()->setText(page.folderEdit()->text() + QStringLiteral("s"));
    EXPECT_TRUE(page.checkFolder());
    EXPECT_EQ(options.targetFolder, world.home() + "/Jeux/Caf\xC3\xA9s");
}

} // namespace
} // namespace qmsetup::test
