#include "common/FileReplace.h"
#include "support/PermissionsBind.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

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

TEST(FileReplace, AStreamedWriteArrivesWholeAndOneThatFailsHalfWayLeavesTheOldFileWhole)
{
    TempDir dir;
    const std::string path = dir.Write("products.dat", "old\r\n");
    const std::string block(FileReplace::Sink::BlockSize, 'r');
    auto rows = [&](bool fail) {
        return [&block, fail](FileReplace::Sink& out) {
            for (int i = 0; i < 3; ++i) out.Put(block);
            if (fail) throw FileError("the list changed");
            out.Put("end\r\n");
        };
    };
    EXPECT_THROW(FileReplace::Write(path, rows(true)), FileError);
    EXPECT_EQ(dir.Read("products.dat"), "old\r\n");
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) (void)e, ++files;
    EXPECT_EQ(files, 1) << "the temporary file was left behind";
    FileReplace::Write(path, rows(false));
    EXPECT_EQ(dir.Read("products.dat"), block + block + block + "end\r\n");
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

// Rewriting a file in place is never atomic: a file whose folder takes no new file is refused
// and left byte for byte, and so is a read-only file, whatever its folder allows.
TEST(FileReplace, AFileWhoseFolderTakesNoNewFileOrThatIsReadOnlyIsRefusedAndLeftAsItWas)
{
    TempDir dir;
    const std::string inFolder = dir.Write("data/products.dat", "old lines, longer than the new ones\r\n");
    const std::string readOnly = dir.Write("readonly.dat", "keep\r\n");
    ::chmod(readOnly.c_str(), 0444);
    ::chmod(dir.File("data").c_str(), 0555);
    {
        PermissionsBind bind;
        if (!bind.Active()) GTEST_SKIP() << "root, and the permission overrides could not be dropped";
        EXPECT_THROW(FileReplace::Write(inFolder, "new\r\n"), UnsafeReplaceError);
        EXPECT_THROW(FileReplace::CheckWritable(inFolder), UnsafeReplaceError);
        EXPECT_EQ(dir.Read("data/products.dat"), "old lines, longer than the new ones\r\n");
        EXPECT_THROW(FileReplace::Write(dir.File("data/new.dat"), "x"), FileError);
        EXPECT_THROW(FileReplace::Write(readOnly, "new\r\n"), FileError);
        EXPECT_EQ(dir.Read("readonly.dat"), "keep\r\n");
    }
    ::chmod(dir.File("data").c_str(), 0755);
}

// Root may write any file, but another user's file keeps its owner, and a file nobody may
// write is refused as it is for its owner.
TEST(FileReplace, RootKeepsTheOwnerOfAFileItReplacesAndNeverReplacesAReadOnlyOne)
{
    if (::geteuid() != 0) GTEST_SKIP() << "needs root";
    TempDir dir;
    const std::string theirs = dir.Write("theirs.xml", "old");
    const std::string readOnly = dir.Write("readonly.xml", "keep");
    for (const std::string& path : {theirs, readOnly}) ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    ::chmod(theirs.c_str(), 0640);
    ::chmod(readOnly.c_str(), 0444);
    FileReplace::Write(theirs, "new");
    struct stat st {};
    ::stat(theirs.c_str(), &st);
    EXPECT_EQ(dir.Read("theirs.xml"), "new");
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_THROW(FileReplace::Write(readOnly, "new"), FileError);
    EXPECT_EQ(dir.Read("readonly.xml"), "keep");
}

// Only a regular file is replaced: a FIFO's reader gets the bytes, a descriptor named by
// /dev/fd/N takes them, and a link stays a link, even one whose file is not there yet.
TEST(FileReplace, WritesIntoWhatIsNoRegularFileAndNeverReplacesALink)
{
    TempDir dir;
    const std::string fifo = dir.File("report.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink(fifo, dir.File("fifo-link"));
    std::filesystem::create_symlink("made.dat", dir.File("dangling-link"));
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const auto drain = [](int fd) {
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    };
    for (const std::string& path : {fifo, dir.File("fifo-link")}) {
        FileReplace::Write(path, "report");
        EXPECT_EQ(drain(reader), "report") << path;
    }
    EXPECT_EQ(std::filesystem::status(fifo).type(), std::filesystem::file_type::fifo);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("fifo-link")));
    FileReplace::Write("/dev/fd/" + std::to_string(pipeEnds[1]), "to the descriptor");
    EXPECT_EQ(drain(pipeEnds[0]), "to the descriptor");
    FileReplace::Write(dir.File("dangling-link"), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("dangling-link")));
    EXPECT_EQ(dir.Read("made.dat"), "new");
    for (const int fd : {reader, pipeEnds[0], pipeEnds[1]}) ::close(fd);
}

// A writer killed in the middle of a save leaves its temporary file; the next write into that
// folder removes it, but never one of a writer still running, nor a file the program did not make.
TEST(FileReplace, TheNextWriteRemovesTheLeftoversOfAKilledWriterAndNothingElse)
{
    TempDir dir;
    const std::string path = dir.Write("data/products.dat", "old\r\n");
    const std::string others[] = {dir.Write("data/.products.dat.Ab12Cd", "not ours"),
                                  dir.Write("data/notes.quillpost-1.txt", "the user's")};
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The file-size limit kills the writer with SIGXFSZ after a few bytes.
        const struct rlimit none {
            0, 0
        }, small{4, 4};
        ::setrlimit(RLIMIT_CORE, &none);
        ::setrlimit(RLIMIT_FSIZE, &small);
        std::signal(SIGXFSZ, SIG_DFL);
        FileReplace::Write(path, std::string(100000, 'n'));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    const std::string pid = std::to_string(child);
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(dir.File("data")))
        if (e.path().filename().string().find(pid) != std::string::npos) left.push_back(e.path().string());
    ASSERT_EQ(left.size(), 1u) << "the killed writer's temporary file names its process";
    std::string running = left[0];
    running.replace(running.rfind(pid), pid.size(), std::to_string(::getpid()));
    std::filesystem::copy_file(left[0], running);

    FileReplace::Write(dir.File("data/sites.dat"), "sites\r\n");
    EXPECT_FALSE(std::filesystem::exists(left[0]));
    EXPECT_TRUE(std::filesystem::exists(running));
    for (const std::string& other : others) EXPECT_TRUE(std::filesystem::exists(other)) << other;
    EXPECT_EQ(dir.Read("data/products.dat"), "old\r\n");
}
