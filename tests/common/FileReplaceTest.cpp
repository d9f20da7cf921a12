#include "common/FileReplace.h"
#include "support/PermissionsBind.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

TEST(FileReplace, ReplacesAtomicallyAndKeepsPermissions)
{
    TempDir dir;
    std::string path = dir.Write("products.dat", "old\r\n");
    ::chmod(path.c_str(), 0640);
    FileReplace::Write(path, "new\r\n");
    EXPECT_EQ(dir.Read("products.dat"), "new\r\n");
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // No temporary file is left behind.
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) (void)e, ++files;
    EXPECT_EQ(files, 1);
}

TEST(FileReplace, AFailedWriteLeavesTheOldFileWhole)
{
    TempDir dir;
    std::string path = dir.Write("sub/products.dat", "old\r\n");
    // Writing into a folder that does not exist fails with a clear text...
    try {
        FileReplace::Write(dir.File("missing/products.dat"), "x");
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("missing/products.dat"), std::string::npos);
    }
    // A disk that fills up in the middle of the save: a file-size limit makes the write
    // fail after a few bytes, as a full disk would.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(FileReplace::Write(path, std::string(1000, 'n')), FileError);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(dir.Read("sub/products.dat"), "old\r\n");
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.File("sub"))) (void)e, ++files;
    EXPECT_EQ(files, 1) << "the temporary file was left behind";
    // Writing over a folder is refused.
    EXPECT_THROW(FileReplace::Write(dir.File("sub"), "x"), FileError);
}

TEST(FileReplace, FollowsASymbolicLink)
{
    TempDir dir;
    std::string real = dir.Write("real.dat", "old");
    std::filesystem::create_symlink(real, dir.File("link.dat"));
    FileReplace::Write(dir.File("link.dat"), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.dat")));
    EXPECT_EQ(dir.Read("real.dat"), "new");
}

TEST(FileReplace, AReadOnlyFolderIsWrittenInPlaceButAReadOnlyFileIsNeverReplaced)
{
    TempDir dir;
    const std::string inFolder = dir.Write("data/products.dat", "old lines, longer than the new ones\r\n");
    const std::string readOnly = dir.Write("readonly.dat", "keep\r\n");
    ::chmod(readOnly.c_str(), 0444);
    ::chmod(dir.File("data").c_str(), 0555);
    struct stat before {};
    ::stat(inFolder.c_str(), &before);
    {
        PermissionsBind bind;
        if (!bind.Active()) GTEST_SKIP() << "root, and the permission overrides could not be dropped";
        // No temporary file can be made beside it: the file itself takes the new bytes.
        FileReplace::Write(inFolder, "new\r\n");
        EXPECT_EQ(dir.Read("data/products.dat"), "new\r\n");
        struct stat after {};
        ::stat(inFolder.c_str(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino);
        int files = 0;
        for (auto& e : std::filesystem::directory_iterator(dir.File("data"))) (void)e, ++files;
        EXPECT_EQ(files, 1);
        // A file that does not exist yet cannot be made there.
        EXPECT_THROW(FileReplace::Write(dir.File("data/new.dat"), "x"), FileError);
        // A read-only file is not replaced behind the user's back, whatever its folder allows.
        EXPECT_THROW(FileReplace::Write(readOnly, "new\r\n"), FileError);
        EXPECT_EQ(dir.Read("readonly.dat"), "keep\r\n");
        ::chmod(inFolder.c_str(), 0444);
        EXPECT_THROW(FileReplace::Write(inFolder, "newer\r\n"), FileError);
        EXPECT_EQ(dir.Read("data/products.dat"), "new\r\n");
    }
    ::chmod(dir.File("data").c_str(), 0755);
}
