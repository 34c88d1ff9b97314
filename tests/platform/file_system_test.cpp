#include "platform/file_system.h"
#include "support/listed_names.h"
#include "support/temp_world.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::test {
namespace {

using namespace qm::fs;

class FileSystemTest : public ::testing::Test {
protected:
    TempWorld world;
};

TEST_F(FileSystemTest, AtomicSaveReplacesALinkInsteadOfWritingThroughIt)
{
    const std::string victim = world.writeFile("victim.txt", "precious");
    const std::string folder = world.makeDir("target");
    ASSERT_EQ(::symlink(victim.c_str(), (folder + "/_setup.reg").c_str()), 0);

    std::string error;
    ASSERT_TRUE(SaveFileAtomic(folder + "/_setup.reg", "REGEDIT4\r\n", {}, &error)) << error;
    EXPECT_EQ(readFileBytes(victim), "precious");
    EXPECT_EQ(readFileBytes(folder + "/_setup.reg"), "REGEDIT4\r\n");
    struct stat st {};
    ASSERT_EQ(::lstat((folder + "/_setup.reg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"_setup.reg"});
}

TEST_F(FileSystemTest, FailedOrCancelledSaveLeavesTheOldFileAndNoTemporary)
{
    const std::string folder = world.makeDir("f");
    const std::string path = world.writeFile("f/page.html", "old");
    {
        AtomicSave save(path);
        ASSERT_TRUE(save.write("half of the new"));
        // dropped without commit: an interrupted save
    }
    EXPECT_EQ(readFileBytes(path), "old");
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"page.html"});

    std::string error;
    EXPECT_FALSE(SaveFileAtomic(world.root() + "/missing/x.txt", "data", {}, &error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
}

TEST_F(FileSystemTest, ReadingRefusesAFifoWithoutBlocking)
{
    const std::string fifo = world.root() + "/rf.exe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ReadFile file;
    EXPECT_FALSE(file.open(fifo)); // would hang forever with a blocking open
    EXPECT_NE(file.error().find("not a regular file"), std::string::npos) << file.error();
    EXPECT_FALSE(ReadWholeFile(fifo, 100).has_value());
    EXPECT_FALSE(IsRegularFile(fifo));
    EXPECT_FALSE(ReadFile(world.root()).isOpen());

    const std::string small = world.writeFile("a.tbl", "0123456789");
    EXPECT_EQ(ReadWholeFile(small, 10).value_or("?"), "0123456789");
    EXPECT_FALSE(ReadWholeFile(small, 9).has_value());
    ReadFile f(small);
    char buf[4] = {};
    EXPECT_EQ(f.readAt(buf, 4, 8), 2u);
    EXPECT_EQ(f.readAt(buf, 4, 10), 0u);
    EXPECT_EQ(f.readAt(buf, 4, -1), 0u);
}

TEST_F(FileSystemTest, InstalledCopiesDropSetIdAndGroupOrOtherWrite)
{
    const std::string src = world.writeFile("kit/tool", "#!/bin/sh\n");
    ASSERT_EQ(::chmod(src.c_str(), 04777), 0);
    const mode_t old = ::umask(027);
    const std::string dst = world.makeDir("install") + "/tool";
    std::string error;
    const bool ok = CopyFileAtomic(src, dst, {CopyMode::Installed, true}, &error);
    ::umask(old);
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(Stat(dst).mode, 0750u);
    EXPECT_EQ(readFileBytes(dst), "#!/bin/sh\n");

    ASSERT_EQ(::chmod(src.c_str(), 0640), 0);
    ASSERT_TRUE(CopyFileAtomic(src, dst, {}, &error)) << error;
    EXPECT_EQ(Stat(dst).mode, 0640u);
    EXPECT_FALSE(CopyFileAtomic(world.root() + "/kit", dst, {}, &error));
    EXPECT_EQ(readFileBytes(dst), "#!/bin/sh\n");
}

TEST_F(FileSystemTest, FoldersAndNames)
{
    const std::string deep = world.root() + "/a/b//c";
    EXPECT_TRUE(MakeFolders(deep));
    EXPECT_TRUE(IsFolder(deep));
    EXPECT_FALSE(MakeFolder(world.root() + "/x/y")); // parent missing, as mkdir
    world.writeFile("a/file", "");
    EXPECT_FALSE(MakeFolders(world.root() + "/a/file/sub"));

    const std::string priv = MakePrivateFolder(world.root(), "page-");
    ASSERT_FALSE(priv.empty());
    EXPECT_EQ(Stat(priv).mode, 0700u);
    world.writeFile(priv.substr(world.root().size() + 1) + "/x/\xE9.tbl", "bytes");
    EXPECT_TRUE(RemoveTree(priv));
    EXPECT_FALSE(Exists(priv));

    EXPECT_EQ(FolderOf("/g/rf.exe"), "/g/");
    EXPECT_EQ(FolderOf("rf.exe"), "");
    EXPECT_EQ(FileNameOf("/g/rf.exe"), "rf.exe");
    EXPECT_EQ(namesIn(world.root() + "/a"), (std::vector<std::string>{"b", "file"}));
}

} // namespace
} // namespace qm::test
