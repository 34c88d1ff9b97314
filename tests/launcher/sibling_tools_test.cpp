#include "common/settings.h"
#include "launcher/sibling_tools.h"
#include "platform/process_start.h"
#include "support/temp_world.h"

#include <gtest/gtest.h>

using namespace playdeck;

namespace {

using Peek = SiblingTool;

std::string MessageFor(SiblingTool tool, const SiblingRecord& record)
{
    const auto plan = PlanOpenInSiblingTool(tool, record, "/rf/user_maps/single/", "a.vpp");
    if (!plan)
        return "<nothing>";
    return plan->start ? "<start>" : plan->message;
}

TEST(OpenInSiblingTool, VersionGateComesBeforeThePathAndPicksTheMessage)
{
    const SiblingRecord installed{"/t/peek.exe", "/t", 0};
    // No "Build" at all passes in the main window.
    EXPECT_EQ(MessageFor(Peek::PackPeek, installed), "<start>");
    for (uint32_t build : {101u, 104u})
        EXPECT_EQ(MessageFor(Peek::PackPeek, {"/t/peek.exe", "/t", build}), kPeekOutdatedMessage);
    for (uint32_t build : {100u, 105u})
        EXPECT_EQ(MessageFor(Peek::PackPeek, {"/t/peek.exe", "/t", build}), "<start>");
    // Build 104 and no path: the outdated message, not the not-found one.
    EXPECT_EQ(MessageFor(Peek::PackPeek, {"", "", 104}), kPeekOutdatedMessage);
    EXPECT_EQ(MessageFor(Peek::PackPeek, {"/t/peek.exe", "", 108}), kPeekNotFoundMessage);
    // PACKFORGE32 has no build gate; an outdated-looking build is ignored.
    EXPECT_EQ(MessageFor(Peek::PackForge, {"/t/forge.exe", "", 0}), kForgeNotFoundMessage);
    EXPECT_EQ(MessageFor(Peek::PackForge, {"/t/forge.exe", "/t", 103}), "<start>");
    // A file name of 4 characters or fewer does nothing at all.
    EXPECT_FALSE(PlanOpenInSiblingTool(Peek::PackForge, installed, "/rf/", ".vpp"));

    EXPECT_EQ(std::string(kPeekOutdatedMessage),
              "Outdated version of Quorvel Manager PACKPEEK32 detected.\n\nYou need at least V2.0 "
              "Beta 03 (Build 105) installed.");
}

TEST(OpenInSiblingTool, StartsTheToolInItsFolderOnTheQuotedPackfile)
{
    const auto plan = PlanOpenInSiblingTool(Peek::PackPeek, {"/t/peek.exe", "/t", 108},
                                            "/rf/user_maps/single/", "Glass House.vpp");
    ASSERT_TRUE(plan && plan->start);
    EXPECT_EQ(*plan->start, (SiblingStartRequest{
                                "/t/peek.exe", "\"/rf/user_maps/single/Glass House.vpp\"", "/t"}));

    // The chooser is stricter: a missing build is too old there.
    EXPECT_FALSE(ChooserCanUseSibling(Peek::PackPeek, {"/t/peek.exe", "/t", 0}));
    EXPECT_FALSE(ChooserCanUseSibling(Peek::PackPeek, {"/t/peek.exe", "/t", 104}));
    EXPECT_TRUE(ChooserCanUseSibling(Peek::PackPeek, {"/t/peek.exe", "/t", 105}));
    EXPECT_TRUE(ChooserCanUseSibling(Peek::PackForge, {"/t/forge.exe", "/t", 0}));
    EXPECT_FALSE(ChooserCanUseSibling(Peek::PackForge, {"/t/forge.exe", "", 0}));
}

TEST(OpenInSiblingTool, AnyPackfileNameReachesTheToolAsOneArgument)
{
    // Names a Linux folder may hold that would end or bend plain quoting.
    for (const std::string path :
         {"/rf/Glass House.vpp", "/rf/say \"hi\".vpp", "/rf/odd\\", "/rf/a\\\"b.vpp", "/rf/x\\y"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(qm::SplitWindowsCommandLine(QuotedPackfileParameter(path)),
                  std::vector<std::string>{path});
    }
    EXPECT_EQ(QuotedPackfileParameter("/rf/Glass House.vpp"), "\"/rf/Glass House.vpp\"");
}

class SiblingRecordTest : public qm::test::TempWorldTest {};

TEST_F(SiblingRecordTest, ReadsTheRecordsSetupWrites)
{
    EXPECT_EQ(ReadSiblingRecord(Peek::PackPeek).path, "");
    const std::string key = "Software\\Quorvel Network\\Quorvel Manager Tools\\Quorvel Manager "
                            "PACKPEEK32";
    EXPECT_EQ(SiblingRecordKey(Peek::PackPeek), key);
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, key, "EXE", "/t/peek.exe");
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, key, "Path", "/t");
    qm::WriteRegDword(qm::HKEY_LOCAL_MACHINE, key, "Build", 104);
    const SiblingRecord r = ReadSiblingRecord(Peek::PackPeek);
    EXPECT_EQ(r.exe, "/t/peek.exe");
    EXPECT_EQ(r.path, "/t");
    EXPECT_EQ(r.build, 104u);
    EXPECT_EQ(ReadSiblingRecord(Peek::PackForge).exe, "");
}

} // namespace
