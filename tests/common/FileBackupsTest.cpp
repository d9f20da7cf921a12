#include "common/FileBackups.h"
#include "common/FileReplace.h"
#include "support/PermissionsBind.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// What a save does: the backup, then the replace.
void Save(const std::string& path, const std::string& bytes)
{
    FileBackups::Keep(path, bytes);
    FileReplace::Write(path, bytes);
}

} // namespace

TEST(FileBackups, FiveGenerationsOfDistinctSavesTheOldestGoing)
{
    TempDir dir;
    const std::string path = dir.Write("products.dat", "v0");
    Save(path, "v1");
    Save(path, "v1"); // the same bytes again: nothing moves
    for (int v = 2; v <= 7; ++v) Save(path, "v" + std::to_string(v));
    EXPECT_EQ(dir.Read("products.dat"), "v7");
    EXPECT_EQ(dir.Read("products.dat.bak"), "v6");
    EXPECT_EQ(dir.Read("products.dat.bak.2"), "v5");
    EXPECT_EQ(dir.Read("products.dat.bak.5"), "v2");
    EXPECT_FALSE(FileReplace::Exists(dir.File("products.dat.bak.6")));

    // An emptied list written at every close: the good catalogue stays in the backups.
    Save(path, "");
    Save(path, "");
    EXPECT_EQ(dir.Read("products.dat.bak"), "v7");
    EXPECT_EQ(dir.Read("products.dat.bak.2"), "v6");
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) (void)e, ++files;
    EXPECT_EQ(files, 6); // no copy left half-made
}

// A streamed save compares the bytes on disk block by block: a file that differs only in its
// last block, or only in length, is kept; the very same bytes are not.
TEST(FileBackups, AStreamedSaveKeepsTheOldFileOnlyWhenTheNewBytesDiffer)
{
    const std::string old = std::string(3 * FileReplace::Sink::BlockSize, 'a') + "end";
    struct Case {
        const char* what;
        std::string bytes;
        bool kept;
    };
    const Case cases[] = {
        {"the same bytes", old, false},
        {"the last byte differs", old.substr(0, old.size() - 1) + "e", true},
        {"one byte more", old + "\n", true},
        {"cut short by a block", old.substr(FileReplace::Sink::BlockSize), true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        TempDir dir;
        const std::string path = dir.Write("products.dat", old);
        FileReplace::Write(
            path, [&](FileReplace::Sink& out) { out.Put(k.bytes); }, true);
        EXPECT_EQ(dir.Read("products.dat"), k.bytes);
        ASSERT_EQ(FileReplace::Exists(dir.File("products.dat.bak")), k.kept);
        if (k.kept) {
            EXPECT_EQ(dir.Read("products.dat.bak"), old);
        }
    }
}

// Keeping a backup never throws; the save itself is then refused, the file as it was.
TEST(FileBackups, AFolderThatTakesNoNewFilesGetsNoBackupAndTheSaveIsRefused)
{
    TempDir dir;
    const std::string path = dir.Write("data/sites.dat", "old\r\n");
    ::chmod(dir.File("data").c_str(), 0555);
    {
        PermissionsBind bind;
        if (!bind.Active()) GTEST_SKIP() << "root, and the permission overrides could not be dropped";
        EXPECT_THROW(Save(path, "new\r\n"), FileError);
        EXPECT_EQ(dir.Read("data/sites.dat"), "old\r\n");
        EXPECT_FALSE(FileReplace::Exists(dir.File("data/sites.dat.bak")));
    }
    ::chmod(dir.File("data").c_str(), 0755);
}

// A slot taken by something that is no regular file (a FIFO nobody writes to, a folder) is
// skipped and never waited on; the saves run in a child that an alarm would end.
TEST(FileBackups, SlotsThatAreNoRegularFilesAreSkippedAndNeverWaitedOn)
{
    TempDir dir;
    const std::string path = dir.Write("autosites.dat", "v0");
    ASSERT_EQ(::mkfifo(dir.File("autosites.dat.bak").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.File("autosites.dat.bak.5"));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(20);
        for (int v = 1; v <= 6; ++v)
            FileReplace::Write(
                path, [v](FileReplace::Sink& out) { out.Put("v" + std::to_string(v)); }, true);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "a save waited on the FIFO";
    EXPECT_EQ(dir.Read("autosites.dat"), "v6");
    EXPECT_EQ(dir.Read("autosites.dat.bak.2"), "v5");
    EXPECT_EQ(dir.Read("autosites.dat.bak.3"), "v4");
    EXPECT_EQ(dir.Read("autosites.dat.bak.4"), "v3");
    EXPECT_EQ(std::filesystem::status(dir.File("autosites.dat.bak")).type(), std::filesystem::file_type::fifo);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("autosites.dat.bak.5")));
}

// A save that kept its backup but was then refused leaves the file as its newest backup holds
// it: saving again makes no second copy of it. The backup has the file's permissions.
TEST(FileBackups, ASaveTriedAgainMakesNoNewGenerationAndABackupKeepsTheFilesMode)
{
    TempDir dir;
    const std::string path = dir.Write("products.dat", "v0");
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    FileBackups::Keep(path, "v1"); // and the write failed
    Save(path, "v1");
    EXPECT_EQ(dir.Read("products.dat.bak"), "v0");
    EXPECT_FALSE(FileReplace::Exists(dir.File("products.dat.bak.2")));
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("products.dat.bak").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}
