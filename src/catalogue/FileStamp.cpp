#include "catalogue/FileStamp.h"

#include "common/FileReplace.h"

#include <sys/stat.h>

FileStamp FileStamp::Peek(const std::string& path)
{
    struct stat st {};
    FileStamp stamp;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return stamp;
    stamp.Exists = true;
    stamp.Size = static_cast<std::uint64_t>(st.st_size);
    stamp.ModifiedNs = ModifiedAt(path);
    return stamp;
}

std::int64_t FileStamp::ModifiedAt(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
}

FileStamp FileStamp::Of(const std::string& path, std::string_view bytes)
{
    FileStamp stamp;
    stamp.Exists = true;
    stamp.Size = bytes.size();
    stamp.ModifiedNs = ModifiedAt(path);
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    stamp.Hash = h;
    return stamp;
}

FileStamp FileStamp::Of(const std::string& path)
{
    try {
        return Of(path, FileReplace::ReadAll(path));
    } catch (const FileError&) {
        return {};
    }
}
