// The file-system facade on Win32.
#include "platform/file_system.h"
#include "platform/target_folder.h"
#include "support/listed_names.h"
#include "win_support.h"

#include <algorithm>

namespace qm::wintest {
namespace {

using namespace qm::fs;

using qm::test::namesIn;

// Every byte value, CR LF and the old end-of-file mark among them: nothing
// may be translated on the way.
const std::string kBinary = [] {
    std::string b = "line\r\nnext\n\x1a";
    for (int i = 0; i < 256; ++i)
        b.push_back(static_cast<char>(i));
    return b;
}();

TEST_F(WinTest, AtomicSaveReplacesWholeFilesAndLeavesNoTemporary)
{
    const std::string folder = makeDir("f");
    const std::string path = folder + "\\page.html";
    std::string error;
    ASSERT_TRUE(SaveFileAtomic(path, kBinary, {}, &error)) << error;
    EXPECT_EQ(ReadBytes(path), kBinary);

    // A read-only old file is replaced as on a Unix disk.
    ASSERT_TRUE(SaveFileAtomic(path, "old", SaveOptions{0444}, &error)) << error;
    ASSERT_TRUE(SaveFileAtomic(path, "new", {}, &error)) << error;
    EXPECT_EQ(ReadBytes(path), "new");
    {
        AtomicSave save(path);
        ASSERT_TRUE(save.write("half of the next"));
    }
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"page.html"});

    // Replacing a file someone is reading: Windows 10 renames over it as
    // Linux does; older systems (and Wine) refuse, and then the old file
    // stays whole and no temporary is left.
    {
        ReadFile reader(path);
        ASSERT_TRUE(reader.isOpen()) << reader.error();
        const bool replaced = SaveFileAtomic(path, "newer", {}, &error);
        EXPECT_EQ(ReadBytes(path), replaced ? "newer" : "new") << error;
        char c = 0;
        EXPECT_TRUE(reader.readExact(&c, 1, 0));
        EXPECT_EQ(c, 'n');
    }
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"page.html"});

    EXPECT_FALSE(SaveFileAtomic(root() + "\\missing\\x.txt", "data", {}, &error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
    EXPECT_FALSE(SaveFileAtomic(folder + "\\", "data", {}, &error));
}

TEST_F(WinTest, NamesCrossTheWideApiByTheDisplayRule)
{
    const std::string folder = makeDir("names");
    // A level made on Windows: its name in Windows-1252 bytes.
    ASSERT_TRUE(SaveFileAtomic(folder + "\\Caf\xe9.vpp", "ansi"));
    ASSERT_TRUE(SaveFileAtomic(folder + "\\\xe6\x97\xa5\xe6\x9c\xac.tbl", "utf8"));
    // Windows hands names back as UTF-8, which leads to the same files.
    EXPECT_EQ(namesIn(folder),
              (std::vector<std::string>{"Caf\xc3\xa9.vpp", "\xe6\x97\xa5\xe6\x9c\xac.tbl"}));
    EXPECT_EQ(ReadBytes(folder + "\\Caf\xc3\xa9.vpp"), "ansi");
    EXPECT_EQ(ReadBytes(folder + "\\Caf\xe9.vpp"), "ansi");
    EXPECT_EQ(ReadBytes(folder + "\\\xe6\x97\xa5\xe6\x9c\xac.tbl"), "utf8");
    // Both separators name the same file.
    EXPECT_EQ(Stat(folder + "/Caf\xe9.vpp").inode, Stat(folder + "\\Caf\xc3\xa9.vpp").inode);
}

TEST_F(WinTest, ReadingOpensRegularFilesOnly)
{
    const std::string path = writeFile("data.bin", kBinary);
    ReadFile file(path);
    ASSERT_TRUE(file.isOpen()) << file.error();
    EXPECT_EQ(file.size(), kBinary.size());
    EXPECT_EQ(file.info().kind, FileKind::Regular);
    char head[4] = {};
    ASSERT_EQ(file.read(head, 4), 4u);
    EXPECT_EQ(std::string(head, 4), "line");
    // A positioned read leaves the stream where it was.
    char at[4] = {};
    EXPECT_TRUE(file.readExact(at, 4, 6));
    EXPECT_EQ(std::string(at, 4), "next");
    ASSERT_EQ(file.read(head, 2), 2u);
    EXPECT_EQ(std::string(head, 2), "\r\n");
    EXPECT_EQ(file.readAt(at, 4, static_cast<int64_t>(kBinary.size())), 0u);

    ReadFile folder(root());
    EXPECT_FALSE(folder.isOpen());
    EXPECT_NE(folder.error().find("is a folder"), std::string::npos) << folder.error();
    ReadFile device("NUL");
    EXPECT_FALSE(device.isOpen());
    EXPECT_NE(device.error().find("not a regular file"), std::string::npos) << device.error();
    EXPECT_FALSE(ReadFile(root() + "\\none").isOpen());
    EXPECT_FALSE(ReadWholeFile(path, 10));
    EXPECT_EQ(Stat("NUL").kind == FileKind::Regular, false);
}

TEST_F(WinTest, FoldersCopiesRenamesAndRemovals)
{
    const std::string deep = root() + "\\a/b\\c";
    std::string error;
    ASSERT_TRUE(MakeFolders(deep, 0755, &error)) << error;
    EXPECT_TRUE(IsFolder(root() + "\\a\\b\\c"));
    EXPECT_TRUE(MakeFolders(deep)); // already there
    EXPECT_FALSE(MakeFolder(root() + "\\x\\y", 0777, &error));
    const std::string file = writeFile("a\\file", "x");
    EXPECT_FALSE(MakeFolders(file + "\\below"));

    const std::string source = writeFile("src.bin", kBinary);
    const std::string dest = deep + "\\copy.bin";
    ASSERT_TRUE(SaveFileAtomic(dest, "previous"));
    ASSERT_TRUE(CopyFileAtomic(source, dest, {CopyMode::Installed, true}, &error)) << error;
    EXPECT_EQ(ReadBytes(dest), kBinary);
    EXPECT_FALSE(CopyFileAtomic(root() + "\\nothing", dest, {}, &error));
    EXPECT_EQ(ReadBytes(dest), kBinary);

    ASSERT_TRUE(RenameReplace(source, dest, &error)) << error;
    EXPECT_FALSE(Exists(source));
    EXPECT_EQ(ReadBytes(dest), kBinary);

    const std::string priv = MakePrivateFolder(root(), "p-", &error);
    ASSERT_FALSE(priv.empty()) << error;
    EXPECT_TRUE(IsFolder(priv));
    EXPECT_NE(MakePrivateFolder(root(), "p-"), priv);

    ASSERT_TRUE(SaveFileAtomic(deep + "\\ro.txt", "r", SaveOptions{0444}));
    EXPECT_EQ(Stat(deep + "\\ro.txt").mode, 0444u);
    EXPECT_TRUE(RemoveTree(root() + "\\a"));
    EXPECT_FALSE(Exists(root() + "\\a"));
    EXPECT_TRUE(RemoveTree(root() + "\\a")); // nothing left is no failure
}

TEST(TargetFolderWin, SetupInstallsOnlyIntoAFolderOfADrive)
{
    for (const char* good : {"C:\\Games\\Tools", "D:\\a", "c:\\Program Files\\QM"})
        EXPECT_TRUE(IsValidTargetFolder(good)) << good;
    for (const char* bad :
         {"", "C:\\", "C:", "C:Games", "C:/Games", "\\\\server\\share", "Games\\Tools", "\\Games"})
        EXPECT_FALSE(IsValidTargetFolder(bad)) << bad;
}

} // namespace
} // namespace qm::wintest
