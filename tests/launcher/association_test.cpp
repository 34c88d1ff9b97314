#include "common/settings.h"
#include "launcher/association.h"
#include "platform/process_start.h"
#include "support/temp_world.h"

#include <gtest/gtest.h>

using namespace playdeck;
using qm::test::readFileBytes;
using qm::test::TempWorldTest;

namespace {

// The script as the shell's importer must see it, every byte spelled out.
std::string ExpectedScript(const std::string& exeInScript)
{
    const std::string cls = "[HKEY_LOCAL_MACHINE\\Software\\Classes\\Quorvel.Manager.PLAYDECK32";
    return "REGEDIT4\r\n"
           "\r\n"
           "[HKEY_LOCAL_MACHINE\\Software\\Classes\\.VPP]\r\n"
           "@=\"Quorvel.Manager.PLAYDECK32\"\r\n"
           "\r\n" +
           cls + "]\r\n\r\n" + cls + "\\shell]\r\n\r\n" + cls + "\\shell\\open]\r\n\r\n" + cls +
           "\\shell\\open\\command]\r\n"
           "@=\"\\\"" +
           exeInScript +
           "\\\" \\\"%1\\\"\"\r\n"
           "\r\n";
}

std::string StoredCommand()
{
    return qm::ReadRegString(qm::HKEY_LOCAL_MACHINE,
                             "Software\\Classes\\Quorvel.Manager.PLAYDECK32\\shell\\open\\command",
                             "", "<none>");
}

TEST(AssociationScript, MatchesTheTableByteForByte)
{
    EXPECT_EQ(AssociationScriptText("/opt/Quorvel Manager/playdeck32"),
              ExpectedScript("/opt/Quorvel Manager/playdeck32"));
    // A Windows path has every backslash doubled inside the quotes.
    EXPECT_EQ(AssociationScriptText("C:\\QM\\PLAYDECK32.EXE"),
              ExpectedScript("C:\\\\QM\\\\PLAYDECK32.EXE"));
    // The executable keeps its letter case here: an upper-cased path names no file.
    EXPECT_EQ(AssociationExecutablePath("/opt/QM/PlayDeck32"), "/opt/QM/PlayDeck32");
}

class AssociationTest : public TempWorldTest {};

TEST_F(AssociationTest, WritesBesideTheProgramAndAppliesIt)
{
    const std::string exe = world.makeDir("Quorvel Manager") + "/playdeck32";
    const AssociationResult r = WriteAssociationScript(exe);
    EXPECT_EQ(r.outcome, AssociationOutcome::WrittenBesideProgram);
    EXPECT_EQ(r.scriptPath, world.root() + "/Quorvel Manager/_setup.reg");
    EXPECT_EQ(readFileBytes(r.scriptPath), ExpectedScript(exe));
    EXPECT_EQ(qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, "Software\\Classes\\.VPP", "", ""),
              "Quorvel.Manager.PLAYDECK32");
    EXPECT_EQ(StoredCommand(), "\"" + exe + "\" \"%1\"");

    // A quote in a folder name stays inside the program's argument.
    const std::string quoted = world.makeDir("Say \"Hi\"") + "/playdeck32";
    ASSERT_EQ(WriteAssociationScript(quoted).outcome, AssociationOutcome::WrittenBesideProgram);
    EXPECT_EQ(qm::SplitWindowsCommandLine(StoredCommand()),
              (std::vector<std::string>{quoted, "%1"}));
}

TEST_F(AssociationTest, AssignVppZeroLeavesTheLastAssociationAndAnyOtherValueRewritesIt)
{
    const std::string dir = world.makeDir("QM");
    ASSERT_EQ(WriteAssociationScript(dir + "/old").outcome,
              AssociationOutcome::WrittenBesideProgram);

    qm::WriteRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, "AssignVPP", 0);
    EXPECT_EQ(WriteAssociationScript(dir + "/new").outcome, AssociationOutcome::Off);
    EXPECT_EQ(StoredCommand(), "\"" + dir + "/old\" \"%1\"");

    qm::WriteRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, "AssignVPP", 2);
    EXPECT_EQ(WriteAssociationScript(dir + "/new").outcome,
              AssociationOutcome::WrittenBesideProgram);
    EXPECT_EQ(StoredCommand(), "\"" + dir + "/new\" \"%1\"");
}

TEST_F(AssociationTest, FallsBackToTheDataFolderAndGoesOnWhenNothingTakesTheScript)
{
    // A program folder that takes no file (even for root): it does not exist.
    const std::string exe = world.root() + "/gone/playdeck32";
    const AssociationResult r = WriteAssociationScript(exe);
    EXPECT_EQ(r.outcome, AssociationOutcome::WrittenInDataFolder);
    EXPECT_EQ(r.scriptPath, world.dataHome() + "/quorvel-manager/_setup.reg");
    EXPECT_EQ(readFileBytes(r.scriptPath), ExpectedScript(exe));
    EXPECT_EQ(StoredCommand(), "\"" + exe + "\" \"%1\"");

    // The data folder blocked by a plain file of its name: nothing written,
    // the old association stays, and the caller is told why.
    world.setEnv("XDG_DATA_HOME", world.writeFile("not a folder", "x"));
    const AssociationResult none = WriteAssociationScript(world.root() + "/gone/other");
    EXPECT_EQ(none.outcome, AssociationOutcome::NotWritten);
    EXPECT_TRUE(none.scriptPath.empty());
    EXPECT_NE(none.error.find("_setup.reg"), std::string::npos);
    EXPECT_EQ(StoredCommand(), "\"" + exe + "\" \"%1\"");
}

} // namespace
