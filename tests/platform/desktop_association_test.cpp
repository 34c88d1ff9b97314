#include "common/registry_script.h"
#include "common/settings.h"
#include "platform/desktop_association.h"
#include "platform/desktop_entry.h"
#include "platform/registry_store.h"
#include "support/desktop_tools.h"
#include "support/temp_world.h"

#include <QFile>
#include <QTest>
#include <sys/stat.h>

namespace {

using qm::DesktopFileClass;
using qm::test::readFileBytes;
using qm::test::TempWorldTest;

// Remembers the classes handed to the desktop instead of registering them.
class RecordingBridge : public qm::DesktopAssociations {
public:
    RecordingBridge() : m_before(qm::SetDesktopAssociations(this)) {}
    ~RecordingBridge() override { qm::SetDesktopAssociations(m_before); }
    bool registerClass(const DesktopFileClass& c, std::string*) override
    {
        classes.push_back(c);
        return true;
    }
    bool unregisterClass(const DesktopFileClass& c, std::string*) override
    {
        withdrawn.push_back(c);
        return true;
    }
    std::vector<DesktopFileClass> classes, withdrawn;

private:
    qm::DesktopAssociations* m_before;
};

const std::string kLauncherId = "Quorvel.Manager.PLAYDECK32";

// The launcher's association script, as PLAYDECK32 writes it at start-up.
std::string launcherScript(const std::string& exe)
{
    const std::string classes = "HKEY_LOCAL_MACHINE\\Software\\Classes\\";
    qm::RegistryScript s;
    s.key(classes + ".VPP").defaultValue(kLauncherId);
    s.key(classes + kLauncherId);
    s.key(classes + kLauncherId + "\\shell");
    s.key(classes + kLauncherId + "\\shell\\open");
    s.key(classes + kLauncherId + "\\shell\\open\\command").defaultValue("\"" + exe + "\" \"%1\"");
    return s.text();
}

std::string writeProgram(const qm::test::TempWorld& world, const std::string& relative)
{
    const std::string path = world.writeFile(relative, "#!/bin/sh\nexit 0\n");
    ::chmod(path.c_str(), 0755);
    return path;
}

TEST(KeyFileText, EditsOneKeyAndKeepsEveryOtherLine)
{
    const std::string list = "# mine\n"
                             "[Added Associations]\n"
                             "text/plain=a.desktop;\n"
                             "\n"
                             "[Default Applications]\n"
                             "text/html=firefox.desktop;\n"
                             "image/png=old.desktop;\n"
                             "image/png=older.desktop;\n"
                             "\n"
                             "[Other]\n"
                             "image/png=untouched\n";
    const std::string set = qm::SetKeyFileValue(list, "Default Applications", "image/png", "x;");
    EXPECT_EQ(set, "# mine\n"
                   "[Added Associations]\n"
                   "text/plain=a.desktop;\n"
                   "\n"
                   "[Default Applications]\n"
                   "text/html=firefox.desktop;\n"
                   "image/png=x;\n"
                   "\n"
                   "[Other]\n"
                   "image/png=untouched\n");
    // A new key goes at the end of its group, before the blank line.
    EXPECT_EQ(qm::SetKeyFileValue(set, "Added Associations", "a/b", "y;"),
              "# mine\n[Added Associations]\ntext/plain=a.desktop;\na/b=y;\n\n"
              "[Default Applications]\ntext/html=firefox.desktop;\nimage/png=x;\n\n"
              "[Other]\nimage/png=untouched\n");
    // "text/html[x]" and "text/htmlx" are other keys.
    EXPECT_EQ(qm::KeyFileValue("[G]\ntext/htmlx=1\ntext/html = 2 \n", "G", "text/html"), "2");
    EXPECT_FALSE(qm::KeyFileValue(list, "Missing", "a").has_value());
    EXPECT_EQ(qm::SetKeyFileValue("", "Default Applications", "a/b", "c;"),
              "[Default Applications]\na/b=c;\n");
    EXPECT_EQ(qm::SetKeyFileValue("[A]\nk=1", "B", "k", "2"), "[A]\nk=1\n\n[B]\nk=2\n");
    EXPECT_EQ(qm::RemoveKeyFileValue(list, "Default Applications", "image/png"),
              "# mine\n[Added Associations]\ntext/plain=a.desktop;\n\n"
              "[Default Applications]\ntext/html=firefox.desktop;\n\n"
              "[Other]\nimage/png=untouched\n");
    EXPECT_EQ(qm::SplitKeyFileList("a;;b ; c"), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(DesktopExec, BuiltFromTheWindowsCommandLine)
{
    EXPECT_EQ(qm::DesktopExecFromCommand("\"/opt/qm/bin/playdeck32\" \"%1\""),
              "/opt/qm/bin/playdeck32 %f");
    // Blanks and reserved characters quote the program; "%L" is the file too.
    EXPECT_EQ(qm::DesktopExecFromCommand("\"/home/a b/$x/gridlens32l\" /p \"%L\""),
              "\"/home/a b/\\$x/gridlens32l\" /p %f");
    // A command without a placeholder still gets the file, at the end; a
    // literal percent is doubled.
    EXPECT_EQ(qm::DesktopExecFromCommand("/usr/bin/tool 50%"), "/usr/bin/tool 50%% %f");
    EXPECT_EQ(qm::DesktopExecFromCommand("/usr/bin/tool --open=%1"), "/usr/bin/tool --open=%f");
    EXPECT_EQ(qm::DesktopExecFromCommand("   "), "");
    EXPECT_EQ(qm::DesktopExecFromCommand("\"\" \"%1\""), "");
}

class DesktopAssociationTest : public TempWorldTest {};

TEST_F(DesktopAssociationTest, WindowsProgramsOpenThroughWine)
{
    const std::string exe = world.writeFile("Tools/FORGE.EXE", std::string("MZ\x90\0", 4));
    EXPECT_EQ(qm::DesktopExecFromCommand("\"" + exe + "\" \"%1\""), "wine " + exe + " %f");
    // A native program that happens to end in .exe runs as it is.
    const std::string native = writeProgram(world, "Tools/native.exe");
    EXPECT_EQ(qm::DesktopExecFromCommand("\"" + native + "\" \"%1\""), native + " %f");
}

TEST(DesktopNames, TypesAndEntryIds)
{
    EXPECT_EQ(qm::DesktopMimeTypeFor("VPP"), "application/x-red-faction-vpp");
    EXPECT_EQ(qm::DesktopMimeTypeFor("tbl"), "text/x-red-faction-tbl");
    EXPECT_EQ(qm::DesktopMimeTypeFor("r f/l"), "application/x-red-faction-r-f-l");
    EXPECT_EQ(qm::DesktopEntryIdFor(kLauncherId), kLauncherId + ".desktop");
    EXPECT_EQ(qm::DesktopEntryIdFor("Level/Launcher & Co"), "Level_Launcher___Co.desktop");
    EXPECT_EQ(qm::DesktopEntryIdFor(".."), "association...desktop");
}

// The packages the install puts in share/mime/packages are the ones the
// bridge writes for a user, so both define the same types the same way.
TEST(DesktopNames, InstalledPackagesMatchTheBridge)
{
    EXPECT_EQ(readFileBytes(QM_SOURCE_DIR "/apps/playdeck32/quorvel-manager-vpp.xml"),
              qm::MimePackageXml("vpp", "application/x-red-faction-vpp", "Red Faction packfile"));
    EXPECT_EQ(readFileBytes(QM_SOURCE_DIR "/apps/gridlens32l/quorvel-manager-tbl.xml"),
              qm::MimePackageXml("tbl", "text/x-red-faction-tbl", "Red Faction table file"));
}

TEST_F(DesktopAssociationTest, StoreClassesFollowTheChangedKeys)
{
    qm::RegistryStore store;
    const auto put = [&](qm::RegRoot root, const std::string& key, const std::string& value) {
        ASSERT_TRUE(qm::WriteRegString(root, "Software\\Classes\\" + key, "", value));
    };
    put(qm::HKEY_LOCAL_MACHINE, ".VPP", kLauncherId);
    put(qm::HKEY_LOCAL_MACHINE, ".rfl", "quorvel.manager.playdeck32"); // case differs
    put(qm::HKEY_LOCAL_MACHINE, kLauncherId + "\\shell\\open\\command", "\"/x/pd\" \"%1\"");
    put(qm::HKEY_LOCAL_MACHINE, ".tbl", "No.Command");
    put(qm::HKEY_LOCAL_MACHINE, "No.Command", "A class without a command");

    const DesktopFileClass launcher{kLauncherId, "", "\"/x/pd\" \"%1\"", {"rfl", "vpp"}};
    EXPECT_EQ(qm::StoreFileClasses(store, {".vpp"}), std::vector<DesktopFileClass>{launcher});
    EXPECT_EQ(qm::StoreFileClasses(store, {kLauncherId + "\\shell\\open\\command"}),
              std::vector<DesktopFileClass>{launcher});
    EXPECT_EQ(qm::StoreFileClasses(store, {".vpp", ".RFL", kLauncherId}),
              std::vector<DesktopFileClass>{launcher});
    // Nothing to open with, or nothing of a class touched: nothing to export.
    EXPECT_TRUE(qm::StoreFileClasses(store, {".tbl", "No.Command", ".none", ""}).empty());

    // The user's classes win over the machine's, as in the shell's merged view.
    put(qm::HKEY_CURRENT_USER, ".rfl", "User.Class");
    put(qm::HKEY_CURRENT_USER, "User.Class\\shell\\open\\command", "/u/editor %1");
    const auto classes = qm::StoreFileClasses(store, {".rfl", ".vpp"});
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_EQ(classes[0].progId, kLauncherId);
    EXPECT_EQ(classes[0].extensions, std::vector<std::string>{"vpp"});
    EXPECT_EQ(classes[1], (DesktopFileClass{"User.Class", "", "/u/editor %1", {"rfl"}}));
}

TEST_F(DesktopAssociationTest, ApplyingAScriptHandsItsClassesToTheDesktop)
{
    RecordingBridge bridge;
    const std::string folder = world.makeDir("prog");
    ASSERT_TRUE(qm::RunRegistryScript(folder, launcherScript("/opt/PLAYDECK32"), true));
    ASSERT_EQ(bridge.classes.size(), 1u);
    EXPECT_EQ(bridge.classes[0],
              (DesktopFileClass{kLauncherId, "", "\"/opt/PLAYDECK32\" \"%1\"", {"vpp"}}));
    // The store holds the keys exactly as before.
    EXPECT_EQ(qm::ReadRegString(qm::HKEY_LOCAL_MACHINE,
                                "Software\\Classes\\" + kLauncherId + "\\shell\\open\\command", "",
                                ""),
              "\"/opt/PLAYDECK32\" \"%1\"");

    // Scripts that touch no class, refused scripts and plain text imports do not.
    qm::RegistryScript other;
    other.key("HKEY_CURRENT_USER\\Software\\Quorvel Network\\X").string("A", "1");
    ASSERT_TRUE(qm::RunRegistryScript(folder, other.text(), true));
    ASSERT_TRUE(qm::RunRegistryScript(folder,
                                      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software"
                                      "\\Classes\\.x]\r\n@=broken\r\n",
                                      true));
    qm::RegistryStore store;
    ASSERT_TRUE(qm::ImportRegistryScript(launcherScript("/elsewhere"), store).ok);
    EXPECT_EQ(bridge.classes.size(), 1u);
}

class XdgBridgeTest : public qm::test::TempWorldTest {
protected:
    void SetUp() override { qm::test::useGnomeDesktop(world); }
    std::string apps() const { return world.dataHome() + "/applications/"; }
    std::string mimeapps() const { return world.home() + "/.config/mimeapps.list"; }
    bool registerClass(const DesktopFileClass& c)
    {
        std::string error;
        const bool ok = bridge.registerClass(c, &error);
        EXPECT_TRUE(ok) << error;
        return ok;
    }
    qm::XdgDesktopAssociations bridge;
};

TEST_F(XdgBridgeTest, WritesTypeEntryAndDefaultKeepingTheUsersList)
{
    world.writeFile("home/.config/mimeapps.list",
                    "[Default Applications]\ntext/html=firefox.desktop;\n\n[Added Associations]\n"
                    "image/png=gimp.desktop;\n");
    const std::string exe = writeProgram(world, "Games/Quorvel Tools/playdeck32");
    ASSERT_TRUE(registerClass({kLauncherId, "", "\"" + exe + "\" \"%1\"", {"rfl", "vpp"}}));

    EXPECT_EQ(readFileBytes(world.dataHome() + "/mime/packages/quorvel-manager-vpp.xml"),
              qm::MimePackageXml("vpp", "application/x-red-faction-vpp", "Red Faction packfile"));
    EXPECT_TRUE(QFile::exists(
        QString::fromStdString(world.dataHome() + "/mime/packages/quorvel-manager-rfl.xml")));

    const std::string entry = readFileBytes(apps() + kLauncherId + ".desktop");
    EXPECT_EQ(qm::KeyFileValue(entry, "Desktop Entry", "Exec"),
              "\"" + world.root() + "/Games/Quorvel Tools/playdeck32\" %f");
    EXPECT_EQ(qm::KeyFileValue(entry, "Desktop Entry", "MimeType"),
              "application/x-red-faction-rfl;application/x-red-faction-vpp;");
    EXPECT_EQ(qm::KeyFileValue(entry, "Desktop Entry", "Name"), "Quorvel Manager PLAYDECK32");
    // An association is no menu item.
    EXPECT_EQ(qm::KeyFileValue(entry, "Desktop Entry", "NoDisplay"), "true");
    if (qm::test::toolPresent("desktop-file-validate")) {
        EXPECT_EQ(qm::test::validateDesktopEntry(apps() + kLauncherId + ".desktop"), "");
    }

    EXPECT_EQ(readFileBytes(mimeapps()),
              "[Default Applications]\ntext/html=firefox.desktop;\n"
              "application/x-red-faction-rfl=Quorvel.Manager.PLAYDECK32.desktop;\n"
              "application/x-red-faction-vpp=Quorvel.Manager.PLAYDECK32.desktop;\n\n"
              "[Added Associations]\nimage/png=gimp.desktop;\n");

    // Registered again (every start does): files in place are not replaced.
    const auto inode = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
    };
    const std::vector<std::string> files = {apps() + kLauncherId + ".desktop", mimeapps(),
                                            world.dataHome() +
                                                "/mime/packages/quorvel-manager-vpp.xml"};
    std::vector<ino_t> before;
    for (const std::string& f : files)
        before.push_back(inode(f));
    ASSERT_TRUE(registerClass({kLauncherId, "", "\"" + exe + "\" \"%1\"", {"rfl", "vpp"}}));
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(inode(files[i]), before[i]) << files[i];
}

// A class for an extension the system already types keeps that type: a
// module claiming .txt must not turn text files into a type of its own.
TEST_F(XdgBridgeTest, ExtensionsTheSystemKnowsKeepTheirType)
{
    world.writeFile("system-share/mime/globs2", "# comment\n50:text/plain:*.txt\n"
                                                "50:text/x-log:*.LOG:cs\n");
    EXPECT_EQ(qm::SystemMimeTypeFor("TXT"), "text/plain");
    EXPECT_EQ(qm::SystemMimeTypeFor("vpp"), "");
    const std::string exe = writeProgram(world, "bin/editor");
    ASSERT_TRUE(registerClass({"Text.Editor", "Text", exe + " %1", {"txt"}}));
    EXPECT_FALSE(QFile::exists(
        QString::fromStdString(world.dataHome() + "/mime/packages/quorvel-manager-txt.xml")));
    EXPECT_EQ(qm::KeyFileValue(readFileBytes(mimeapps()), "Default Applications", "text/plain"),
              "Text.Editor.desktop;");
}

// The entry of an installed program carries its name, icon and menu place:
// the association copies it with the store's command rather than hiding the
// program behind a bare entry, and never rewrites an entry the user made.
TEST_F(XdgBridgeTest, InstalledAndUserEntriesKeepTheirOwnLines)
{
    const std::string exe = writeProgram(world, "bin/playdeck32");
    world.writeFile("system-share/applications/" + kLauncherId + ".desktop",
                    "[Desktop Entry]\nType=Application\nName=Quorvel Manager PLAYDECK32\n"
                    "Exec=/usr/bin/playdeck32 %f\nTryExec=/usr/bin/playdeck32\n"
                    "Icon=quorvel-playdeck32\nCategories=Game;\nMimeType=application/x-other;\n");
    ASSERT_TRUE(registerClass({kLauncherId, "", exe + " \"%1\"", {"vpp"}}));
    std::string entry = readFileBytes(apps() + kLauncherId + ".desktop");
    EXPECT_EQ(entry, "[Desktop Entry]\nType=Application\nName=Quorvel Manager PLAYDECK32\n"
                     "Exec=" +
                         exe +
                         " %f\nIcon=quorvel-playdeck32\nCategories=Game;\n"
                         "MimeType=application/x-other;application/x-red-faction-vpp;\n"
                         "X-Quorvel-Manager-Association=true\n");

    // An entry of the user's own (no mark) is the base from now on.
    world.writeFile("home/.local/share/applications/" + kLauncherId + ".desktop",
                    "[Desktop Entry]\n# my launcher\nType=Application\nName=My RF\n"
                    "Exec=/old %f\n");
    ASSERT_TRUE(registerClass({kLauncherId, "", exe + " \"%1\"", {"vpp"}}));
    entry = readFileBytes(apps() + kLauncherId + ".desktop");
    EXPECT_EQ(entry, "[Desktop Entry]\n# my launcher\nType=Application\nName=My RF\n"
                     "Exec=" +
                         exe + " %f\nMimeType=application/x-red-faction-vpp;\n");
}

// An uninstall takes back a class: its types, its entry and its defaults go,
// and the caches with them once they describe nothing; the user's own lines
// and the classes still there stay.
TEST_F(XdgBridgeTest, WithdrawnClassesLeaveNothingBehind)
{
    const std::string exe = writeProgram(world, "bin/tool");
    world.writeFile("home/.config/mimeapps.list",
                    "[Default Applications]\ntext/html=ff.desktop;\n");
    ASSERT_TRUE(registerClass({"Alpha.Tool", "", exe + " %1", {"rfl", "vpp"}}));
    ASSERT_TRUE(registerClass({"Beta.Tool", "", exe + " %1", {"tbl"}}));
    world.writeFile("home/.local/share/applications/mine.desktop",
                    "[Desktop Entry]\nType=Application\nName=Mine\nExec=/bin/true\n");

    std::string error;
    ASSERT_TRUE(bridge.unregisterClass({"Alpha.Tool", "", "", {"rfl", "vpp"}}, &error)) << error;
    const std::string packages = world.dataHome() + "/mime/packages/";
    for (const char* gone : {"quorvel-manager-rfl.xml", "quorvel-manager-vpp.xml"})
        EXPECT_FALSE(QFile::exists(QString::fromStdString(packages + gone))) << gone;
    EXPECT_TRUE(QFile::exists(QString::fromStdString(packages + "quorvel-manager-tbl.xml")));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(apps() + "Alpha.Tool.desktop")));
    EXPECT_EQ(readFileBytes(mimeapps()), "[Default Applications]\ntext/html=ff.desktop;\n"
                                         "text/x-red-faction-tbl=Beta.Tool.desktop;\n");

    // An extension another class has taken since stays; the class's entry
    // and the defaults that name it go all the same.
    ASSERT_TRUE(bridge.unregisterClass({"Beta.Tool", "", "", {}}, &error)) << error;
    EXPECT_TRUE(QFile::exists(QString::fromStdString(packages + "quorvel-manager-tbl.xml")));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(apps() + "Beta.Tool.desktop")));
    EXPECT_EQ(readFileBytes(mimeapps()), "[Default Applications]\ntext/html=ff.desktop;\n");

    ASSERT_TRUE(bridge.unregisterClass({"Beta.Tool", "", "", {"tbl"}}, &error)) << error;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(world.dataHome() + "/mime")));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(apps() + "mine.desktop")));
    EXPECT_EQ(readFileBytes(mimeapps()), "[Default Applications]\ntext/html=ff.desktop;\n");

    // With the last entry gone, so is the list of defaults it was the only line of.
    QFile::remove(QString::fromStdString(apps() + "mine.desktop"));
    world.writeFile("home/.config/mimeapps.list", "[Default Applications]\n");
    ASSERT_TRUE(registerClass({"Gamma.Tool", "", exe + " %1", {"gam"}}));
    ASSERT_TRUE(bridge.unregisterClass({"Gamma.Tool", "", "", {"gam"}}, &error)) << error;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(mimeapps())));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(apps() + "mimeinfo.cache")));
}

TEST_F(XdgBridgeTest, UnusableCommandsAndUnwritableFoldersAreReported)
{
    std::string error;
    EXPECT_FALSE(bridge.registerClass({"Bad.Class", "", "\"\"", {"vpp"}}, &error));
    EXPECT_NE(error.find("Bad.Class"), std::string::npos) << error;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(mimeapps())));

    // A file where the applications folder should be.
    world.writeFile("home/.local/share/applications", "not a folder");
    error.clear();
    EXPECT_FALSE(bridge.registerClass({"Good.Class", "", "/bin/true %1", {"vpp"}}, &error));
    EXPECT_NE(error.find("applications"), std::string::npos) << error;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(mimeapps())));
}

} // namespace
