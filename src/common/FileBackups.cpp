#include "common/FileBackups.h"

#include "common/FileReplace.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The bytes of a regular file; false when there is none or it cannot be read.
bool ReadRegular(const std::string& path, std::string& bytes)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    try {
        bytes = FileReplace::ReadAll(path);
    } catch (const FileError&) {
        return false;
    }
    return true;
}

// Writes `bytes` to a new file `path` with permissions `mode`, flushed to disk.
bool WriteNew(const std::string& path, const std::string& bytes, mode_t mode)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 0777);
    if (fd < 0) return false;
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) ::unlink(path.c_str());
    return ok;
}

} // namespace

std::string FileBackups::NameOf(const std::string& path, int generation)
{
    return generation <= 1 ? path + ".bak" : path + ".bak." + std::to_string(generation);
}

void FileBackups::Keep(const std::string& path, const std::string& bytes)
{
    std::string old;
    if (!ReadRegular(path, old) || old == bytes) return;
    std::string newest;
    if (ReadRegular(NameOf(path, 1), newest) && newest == old) return;

    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return;
    // The copy is made whole first, so that a failure (no room, a folder that takes no new
    // files) leaves every generation where it was.
    // Named as the program's temporary files are, so that a start removes it when a kill
    // left it behind (FileReplace::RemoveLeftovers).
    const std::string backup = NameOf(path, 1);
    const size_t slash = backup.find_last_of('/');
    const std::string copy = backup.substr(0, slash + 1) + "." + backup.substr(slash + 1) + ".quillpost-" +
                             std::to_string(::getpid()) + ".backup";
    ::unlink(copy.c_str());
    if (!WriteNew(copy, old, st.st_mode)) return;
    ::unlink(NameOf(path, Generations).c_str());
    for (int g = Generations - 1; g >= 1; --g) {
        if (std::rename(NameOf(path, g).c_str(), NameOf(path, g + 1).c_str()) != 0 && errno != ENOENT) {
            ::unlink(copy.c_str());
            return;
        }
    }
    if (std::rename(copy.c_str(), NameOf(path, 1).c_str()) != 0) ::unlink(copy.c_str());
}
