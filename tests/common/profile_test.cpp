#include "common/profile.h"
#include "support/temp_world.h"

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

using qm::ProfileFile;

namespace {

class ProfileTest : public qm::test::TempWorldTest {};

TEST_F(ProfileTest, NamesWithoutCaseFirstMatchWinsValuesTrimmed)
{
    const std::string path = world.writeFile("a.ini", "\xEF\xBB\xBF; comment\r\n"
                                                      "  [ Module ]  \r\n"
                                                      "Name =  Level Launcher \t\r\n"
                                                      "NAME=second\r\n"
                                                      "Empty=\r\n"
                                                      "eq=a=b\r\n"
                                                      "noequals\r\n"
                                                      "[module]\r\n"
                                                      "Other=in the duplicate section\r\n"
                                                      "[Installation]\n"
                                                      "EXEfile=PLAYDECK32.exe");
    EXPECT_EQ(qm::GetPrivateProfileString("MODULE", "name", "d", path), "Level Launcher");
    EXPECT_EQ(qm::GetPrivateProfileString("module", "Empty", "d", path), "");
    EXPECT_EQ(qm::GetPrivateProfileString("module", "eq", "", path), "a=b");
    EXPECT_EQ(qm::GetPrivateProfileString("module", "noequals", "d", path), "d");
    // Only the first section of a name is searched.
    EXPECT_EQ(qm::GetPrivateProfileString("module", "Other", "d", path), "d");
    EXPECT_EQ(qm::GetPrivateProfileString("installation", "exefile", "", path), "PLAYDECK32.exe");
    EXPECT_EQ(qm::GetPrivateProfileString("Missing", "Name", "def", path), "def");
}

TEST_F(ProfileTest, MissingOrUnreadableFileReadsDefaults)
{
    EXPECT_EQ(qm::GetPrivateProfileString("A", "B", "x", world.root() + "/none.ini"), "x");
    EXPECT_EQ(qm::GetPrivateProfileInt("A", "B", 7, world.root() + "/none.ini"), 7);
    const std::string dir = world.makeDir("folder.ini");
    EXPECT_EQ(qm::GetPrivateProfileString("A", "B", "x", dir), "x");
    if (::geteuid() != 0) {
        const std::string p = world.writeFile("locked.ini", "[A]\nB=1\n");
        ::chmod(p.c_str(), 0);
        EXPECT_FALSE(ProfileFile(p).readable());
        EXPECT_EQ(qm::ReadProfileInt(p, "A", "B"), 0);
    }
}

TEST_F(ProfileTest, IntegerIsLeadingDecimalNumber)
{
    const std::string path = world.writeFile("i.ini", "[V]\n"
                                                      "a= 42abc\n"
                                                      "b=-17\n"
                                                      "c=+5\n"
                                                      "d=abc\n"
                                                      "e=0x1F\n"
                                                      "f=99999999999999\n"
                                                      "g=-99999999999999\n"
                                                      "h=\n"
                                                      "i=--3\n");
    const ProfileFile f(path);
    EXPECT_EQ(f.integer("V", "a"), 42);
    EXPECT_EQ(f.integer("V", "b"), -17);
    EXPECT_EQ(f.integer("V", "c"), 5);
    EXPECT_EQ(f.integer("V", "d", 9), 0); // present but not a number: 0, not the default
    EXPECT_EQ(f.integer("V", "e"), 0);
    EXPECT_EQ(f.integer("V", "f"), INT_MAX);
    EXPECT_EQ(f.integer("V", "g"), INT_MIN);
    EXPECT_EQ(f.integer("V", "h", 3), 3); // empty reads as missing
    EXPECT_EQ(f.integer("V", "i"), 0);
    EXPECT_EQ(f.integer("V", "missing"), 0);
}

TEST_F(ProfileTest, DollarMarkerAndLengthCut)
{
    const std::string longValue(9000, 'x');
    const std::string path = world.writeFile("d.ini", "[M]\nName=$\nLong=" + longValue + "\n");
    EXPECT_EQ(qm::ReadProfileText(path, "M", "Name"), "");
    EXPECT_EQ(qm::ReadProfileText(path, "M", "Name", "$"), "$");
    EXPECT_EQ(qm::ReadProfileText(path, "M", "Missing", "$"), "$");
    EXPECT_EQ(qm::GetPrivateProfileString("M", "Name", "", path), "$"); // raw reader keeps it
    EXPECT_EQ(qm::ReadProfileText(path, "M", "Long"), std::string(8190, 'x'));
    EXPECT_EQ(qm::GetPrivateProfileString("M", "Missing", longValue, path).size(), 8190u);
}

TEST_F(ProfileTest, NumberedLists)
{
    const std::string path = world.writeFile("l.ini", "[Files]\nNum=3\n1=a.exe\n3=c.txt\n4=beyond\n"
                                                      "[MkDirs]\nNum=2\n01=zero\n1=data\n2=$\n"
                                                      "[Neg]\nNum=-4\n1=x\n"
                                                      "[Zero]\nNum=0\n1=x\n"
                                                      "[NoNum]\n1=x\n");
    const ProfileFile f(path);
    EXPECT_EQ(f.list("Files", ""), (std::vector<std::string>{"a.exe", "", "c.txt"}));
    EXPECT_EQ(f.list("Files", "$"), (std::vector<std::string>{"a.exe", "$", "c.txt"}));
    // A leading zero is no list key; "$" reads as empty with an empty default.
    EXPECT_EQ(f.list("MkDirs", ""), (std::vector<std::string>{"data", ""}));
    EXPECT_TRUE(f.list("Neg", "").empty());
    EXPECT_TRUE(f.list("Zero", "").empty());
    EXPECT_TRUE(f.list("NoNum", "").empty());
    EXPECT_EQ(f.list("Files", "", 2).size(), 2u);
}

TEST_F(ProfileTest, HugeNumIsCutNotAllocated)
{
    const ProfileFile f = ProfileFile::fromText("[Files]\nNum=2147483647\n1=a\n");
    const auto l = f.list("Files", "");
    ASSERT_EQ(l.size(), static_cast<size_t>(ProfileFile::kListMax));
    EXPECT_EQ(l[0], "a");
    EXPECT_EQ(l.back(), "");
}

} // namespace
