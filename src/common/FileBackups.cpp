#include "common/FileBackups.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t Block = 64 * 1024;

// A file open for reading, closed when it goes. Opening never waits: a FIFO with no writer
// opens at once, and is then no regular file.
struct Input {
    int fd = -1;
    struct stat st {};
    explicit Input(const std::string& path) : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY))
    {
        if (fd >= 0 && ::fstat(fd, &st) != 0) st.st_mode = 0;
    }
    ~Input()
    {
        if (fd >= 0) ::close(fd);
    }
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    bool Regular() const { return fd >= 0 && S_ISREG(st.st_mode); }
    // Up to `length` bytes, fewer only at the end; -1 when reading fails.
    ssize_t Fill(char* buf, std::size_t length)
    {
        std::size_t done = 0;
        while (done < length) {
            const ssize_t n = ::read(fd, buf + done, length - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return -1;
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        return static_cast<ssize_t>(done);
    }
};

// Whether the regular file `path` holds exactly the bytes `next` hands out, a block at a time
// (`next` fills up to Block bytes and answers how many, fewer only at the end, -1 on failure).
template <class Next>
bool Holds(Input& file, off_t size, Next next)
{
    if (file.st.st_size != size) return false;
    std::string a(Block, '\0'), b(Block, '\0');
    for (;;) {
        const ssize_t n = file.Fill(a.data(), Block);
        const ssize_t m = next(b.data());
        if (n < 0 || m < 0 || n != m) return false;
        if (n == 0) return true;
        if (std::memcmp(a.data(), b.data(), static_cast<std::size_t>(n)) != 0) return false;
    }
}

// Whether the regular file `path` holds `bytes`; false when it is none or cannot be read.
bool Holds(const std::string& path, const std::string& bytes)
{
    Input file(path);
    if (!file.Regular()) return false;
    std::size_t at = 0;
    return Holds(file, static_cast<off_t>(bytes.size()), [&](char* buf) {
        const std::size_t n = std::min(Block, bytes.size() - at);
        std::memcpy(buf, bytes.data() + at, n);
        at += n;
        return static_cast<ssize_t>(n);
    });
}

// Whether the regular files `a` and `b` hold the same bytes; false when either is none or
// cannot be read.
bool SameBytes(const std::string& a, const std::string& b)
{
    Input first(a), second(b);
    if (!first.Regular() || !second.Regular()) return false;
    return Holds(first, second.st.st_size, [&](char* buf) { return second.Fill(buf, Block); });
}

// Copies `from` to a new file `path` with permissions `mode`, flushed to disk.
bool CopyNew(const std::string& from, const std::string& path, mode_t mode)
{
    Input in(from);
    if (!in.Regular()) return false;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 0777);
    if (fd < 0) return false;
    std::string buf(Block, '\0');
    bool ok = true;
    for (ssize_t n = 1; ok && n > 0;) {
        n = in.Fill(buf.data(), Block);
        ok = n >= 0;
        for (ssize_t done = 0; ok && done < n;) {
            const ssize_t w = ::write(fd, buf.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            ok = w > 0;
            if (ok) done += w;
        }
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) ::unlink(path.c_str());
    return ok;
}

// The backup slots (NAME.bak, NAME.bak.2, ...) that may hold a generation, newest first: those
// that are free, a regular file or a link. A folder, a FIFO or a device in a slot is skipped,
// never opened nor replaced.
std::vector<std::string> Slots(const std::string& path)
{
    std::vector<std::string> slots;
    for (int g = 1; g <= FileBackups::Generations; ++g) {
        std::string slot = FileBackups::NameOf(path, g);
        struct stat st {};
        if (::lstat(slot.c_str(), &st) != 0 ? errno == ENOENT : S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))
            slots.push_back(std::move(slot));
    }
    return slots;
}

// The old file, regular and different from the new bytes, becomes the newest backup (every
// backup moving one slot back) unless that backup holds it already.
void Rotate(const std::string& path)
{
    const std::vector<std::string> slots = Slots(path);
    if (slots.empty() || SameBytes(slots.front(), path)) return;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return;
    // The copy is made whole first, so that a failure (no room, a folder that takes no new
    // files) leaves every generation where it was.
    // Named as the program's temporary files are, so that a start removes it when a kill
    // left it behind (FileReplace::RemoveLeftovers).
    const std::string backup = FileBackups::NameOf(path, 1);
    const size_t slash = backup.find_last_of('/');
    const std::string copy = backup.substr(0, slash + 1) + "." + backup.substr(slash + 1) + ".quillpost-" +
                             std::to_string(::getpid()) + ".backup";
    ::unlink(copy.c_str());
    if (!CopyNew(path, copy, st.st_mode)) return;
    ::unlink(slots.back().c_str());
    for (size_t i = slots.size() - 1; i >= 1; --i) {
        if (std::rename(slots[i - 1].c_str(), slots[i].c_str()) != 0 && errno != ENOENT) {
            ::unlink(copy.c_str());
            return;
        }
    }
    if (std::rename(copy.c_str(), slots.front().c_str()) != 0) ::unlink(copy.c_str());
}

bool IsRegular(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

std::string FileBackups::NameOf(const std::string& path, int generation)
{
    return generation <= 1 ? path + ".bak" : path + ".bak." + std::to_string(generation);
}

void FileBackups::Keep(const std::string& path, const std::string& bytes)
{
    if (IsRegular(path) && !Holds(path, bytes)) Rotate(path);
}

void FileBackups::KeepFor(const std::string& path, const std::string& newFile)
{
    if (IsRegular(path) && !SameBytes(path, newFile)) Rotate(path);
}
