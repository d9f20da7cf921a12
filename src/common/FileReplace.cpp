#include "common/FileReplace.h"

#include "common/FileBackups.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

namespace {

std::string Reason(int err)
{
    return std::strerror(err);
}

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err)
{
    throw FileError(Phrase(what + " \"%1\": %2", {Phrase::Text(path), Phrase::Text(Reason(err))}));
}

std::string FolderOf(const std::string& path)
{
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// What a temporary file's name holds after the target's name: this tag, the writer's process
// id, "." and mkstemp's six characters.
constexpr const char* TemporaryTag = ".quillpost-";
constexpr size_t RandomPart = 6;
// Room left for the tag and the rest in a name of at most NAME_MAX bytes.
constexpr size_t MaxBaseInTemporary = 200;

std::string TemporaryPattern(const std::string& folder, const std::string& base)
{
    return folder + "/." + base.substr(0, MaxBaseInTemporary) + TemporaryTag + std::to_string(::getpid()) + "." +
           std::string(RandomPart, 'X');
}

// The writer's process id in a temporary file's name; 0 when the name is none of ours.
pid_t WriterOf(const std::string& name)
{
    if (name.size() < RandomPart + 2 || name[0] != '.') return 0;
    const size_t dot = name.size() - RandomPart - 1;
    if (name[dot] != '.') return 0;
    const size_t tag = name.rfind(TemporaryTag, dot);
    if (tag == std::string::npos || tag == 0) return 0;
    const size_t digits = tag + std::strlen(TemporaryTag);
    if (digits == dot || dot - digits > 9) return 0;
    pid_t pid = 0;
    for (size_t i = digits; i < dot; ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        pid = pid * 10 + (name[i] - '0');
    }
    for (size_t i = dot + 1; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return 0;
    return pid;
}

// Where a write to a path goes.
struct Destination {
    enum Kind { File, Other, Descriptor } kind = File;
    std::string path; // File, Other: the path at the end of any symbolic links
    int fd = -1;      // Descriptor
    bool exists = false;
    struct stat st {};
};

// The descriptor that /dev/stdout, /dev/stderr, /dev/fd/N or /proc/self/fd/N names; -1 for
// any other path.
int DescriptorOf(const std::string& path)
{
    if (path == "/dev/stdout") return 1;
    if (path == "/dev/stderr") return 2;
    for (const char* prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        const size_t n = std::strlen(prefix);
        if (path.compare(0, n, prefix) != 0 || path.size() == n || path.size() > n + 9) continue;
        int fd = 0;
        for (size_t i = n; i < path.size(); ++i) {
            if (path[i] < '0' || path[i] > '9') return -1;
            fd = fd * 10 + (path[i] - '0');
        }
        return fd;
    }
    return -1;
}

// Follows symbolic links (the file they lead to need not exist) to what a write would reach.
// Throws FileError for a loop of links.
Destination Resolve(const std::string& path)
{
    Destination d;
    d.path = path;
    for (int hops = 0;; ++hops) {
        if (const int fd = DescriptorOf(d.path); fd >= 0) {
            d.kind = Destination::Descriptor;
            d.fd = fd;
            return d;
        }
        struct stat lst {};
        if (::lstat(d.path.c_str(), &lst) != 0) return d; // nothing there yet: a new file
        if (!S_ISLNK(lst.st_mode)) break;
        // A link that cannot be followed is never replaced either.
        if (hops == 40) Fail("Cannot write file", path, ELOOP);
        char link[PATH_MAX];
        const ssize_t n = ::readlink(d.path.c_str(), link, sizeof link - 1);
        if (n <= 0) Fail("Cannot write file", path, n < 0 ? errno : ENOENT);
        const std::string to(link, static_cast<size_t>(n));
        d.path = to.front() == '/' ? to : FolderOf(d.path) + "/" + to;
    }
    d.exists = ::stat(d.path.c_str(), &d.st) == 0;
    if (d.exists && !S_ISREG(d.st.st_mode) && !S_ISDIR(d.st.st_mode)) d.kind = Destination::Other;
    return d;
}

void WriteAllTo(int fd, std::string_view bytes, const std::function<void(int)>& abandon)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            abandon(errno);
            return;
        }
        done += static_cast<size_t>(n);
    }
}

// A descriptor that is closed when it goes out of scope, unless Close took it first.
struct OwnedFd {
    int fd = -1;
    ~OwnedFd()
    {
        if (fd >= 0) ::close(fd);
    }
    int Close()
    {
        const int rc = ::close(fd);
        fd = -1;
        return rc;
    }
};

std::string BaseOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Why an existing regular file may not be replaced: errno, or 0 when it may. A file nobody may
// write is read-only for root too, who passes every access check.
int RefusalOf(const Destination& d)
{
    if (!d.exists) return 0;
    if (S_ISDIR(d.st.st_mode)) return EISDIR;
    if (::faccessat(AT_FDCWD, d.path.c_str(), W_OK, AT_EACCESS) != 0) return errno;
    return (d.st.st_mode & 0222) == 0 ? EACCES : 0;
}

// The error of an existing file whose folder takes no temporary file: rewriting the file itself
// would not be atomic, so it is not done. Other reasons (a full disk) are told as they are.
[[noreturn]] void FailNoTemporary(const std::string& path, bool exists, int err)
{
    if (!exists || (err != EACCES && err != EPERM && err != EROFS)) Fail("Cannot write file", path, err);
    throw UnsafeReplaceError("Cannot write file \"" + path +
                             "\": it cannot be replaced safely: its folder takes no new files (" + Reason(err) + ")");
}

// "16 MiB", "64 KiB" or "1000 bytes".
std::string SizeText(std::size_t bytes)
{
    constexpr std::size_t KiB = 1024, MiB = KiB * KiB;
    if (bytes >= MiB && bytes % MiB == 0) return std::to_string(bytes / MiB) + " MiB";
    if (bytes >= KiB && bytes % KiB == 0) return std::to_string(bytes / KiB) + " KiB";
    return std::to_string(bytes) + " bytes";
}

// Up to `most` bytes of the file, fewer only when it ends first.
std::string ReadUpTo(const std::string& path, std::size_t most)
{
    OwnedFd in{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0) Fail("Cannot open file", path, errno);
    struct stat st {};
    if (::fstat(in.fd, &st) == 0 && S_ISDIR(st.st_mode)) Fail("Cannot read file", path, EISDIR);
    std::string data;
    if (st.st_size > 0) data.reserve(std::min(static_cast<std::size_t>(st.st_size), most));
    char buffer[65536];
    while (data.size() < most) {
        const ssize_t n = ::read(in.fd, buffer, std::min(sizeof buffer, most - data.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail("Cannot read file", path, errno);
        if (n == 0) break;
        data.append(buffer, static_cast<size_t>(n));
    }
    return data;
}

} // namespace

std::string FileReplace::ReadAll(const std::string& path)
{
    return ReadUpTo(path, std::string().max_size());
}

std::string FileReplace::ReadLimited(const std::string& path, std::size_t limit)
{
    std::string data = ReadUpTo(path, limit + 1);
    if (data.size() > limit) throw FileError("Cannot read file \"" + path + "\": it is larger than " + SizeText(limit));
    return data;
}

bool FileReplace::Exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool FileReplace::SameFile(const std::string& a, const std::string& b)
{
    if (a == b) return true;
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

void FileReplace::Sink::Put(std::string_view bytes)
{
    if (fd_ >= 0 && held_.size() + bytes.size() >= BlockSize) {
        Flush();
        // A large piece goes out as it is, without a copy.
        if (bytes.size() >= BlockSize) {
            WriteAllTo(fd_, bytes, [&](int err) { Fail("Cannot write file", *path_, err); });
            return;
        }
    }
    held_.append(bytes);
}

void FileReplace::Sink::Flush()
{
    WriteAllTo(fd_, held_, [&](int err) { Fail("Cannot write file", *path_, err); });
    held_.clear();
}

void FileReplace::Write(const std::string& path, const std::string& bytes)
{
    Write(path, [&](Sink& sink) { sink.Put(bytes); });
}

void FileReplace::Write(const std::string& path, const Producer& produce, bool keepBackup)
{
    const Destination d = Resolve(path);
    // What is no regular file (a FIFO, a device, a descriptor) is written into as it stands.
    if (d.kind == Destination::Descriptor) {
        Sink sink(d.fd, path);
        produce(sink);
        sink.Flush();
        return;
    }
    if (d.kind == Destination::Other) {
        OwnedFd out{::open(d.path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY)};
        if (out.fd < 0) Fail("Cannot write file", path, errno);
        Sink sink(out.fd, path);
        produce(sink);
        sink.Flush();
        if (out.Close() != 0) Fail("Cannot write file", path, errno);
        return;
    }
    const std::string& target = d.path;
    const bool existed = d.exists;
    // A file the user made read-only is not replaced behind their back, though its folder
    // would let a rename do it.
    if (const int refused = RefusalOf(d)) Fail("Cannot write file", path, refused);

    const std::string folder = FolderOf(target);
    RemoveLeftovers(folder);
    std::string temp = TemporaryPattern(folder, BaseOf(target));
    OwnedFd out{::mkstemp(temp.data())};
    if (out.fd < 0) FailNoTemporary(path, existed, errno);
    // From here on a failure takes the temporary file away with it.
    struct Remove {
        const std::string& name;
        bool done = false;
        ~Remove()
        {
            if (!done) ::unlink(name.c_str());
        }
    } remove{temp};

    mode_t mode;
    if (existed) {
        // Root replacing another user's file gives it back to them. Anyone else cannot give a
        // file away: the new one is theirs, as a file they make is.
        if (::fchown(out.fd, d.st.st_uid, d.st.st_gid) != 0 && ::geteuid() == 0) Fail("Cannot write file", path, errno);
        mode = d.st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(out.fd, mode) != 0) Fail("Cannot write file", path, errno);
    Sink sink(out.fd, path);
    produce(sink);
    sink.Flush();
    if (::fsync(out.fd) != 0) Fail("Cannot write file", path, errno);
    if (out.Close() != 0) Fail("Cannot write file", path, errno);
    if (keepBackup) FileBackups::KeepFor(path, temp);
    if (::rename(temp.c_str(), target.c_str()) != 0) Fail("Cannot write file", path, errno);
    remove.done = true;
    // Make the rename itself durable.
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void FileReplace::CheckWritable(const std::string& path)
{
    const Destination d = Resolve(path);
    if (d.kind == Destination::Descriptor) {
        const int flags = ::fcntl(d.fd, F_GETFL);
        if (flags < 0) Fail("Cannot write file", path, errno);
        if ((flags & O_ACCMODE) == O_RDONLY) Fail("Cannot write file", path, EBADF);
        return;
    }
    if (const int refused = RefusalOf(d)) Fail("Cannot write file", path, refused);
    if (d.kind == Destination::Other) return;
    std::string probe = TemporaryPattern(FolderOf(d.path), BaseOf(d.path));
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) FailNoTemporary(path, d.exists, errno);
    ::close(fd);
    ::unlink(probe.c_str());
}

int FileReplace::RemoveLeftovers(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const pid_t writer = WriterOf(name);
        // A writer that still runs (or whose id another process took since) keeps its file.
        if (writer <= 0 || writer == ::getpid() || ::kill(writer, 0) == 0 || errno != ESRCH) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        if (::unlinkat(::dirfd(dir), name.c_str(), 0) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}
