#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What a catalogue file was when the program read or wrote it: its size, its time of last
// change and a hash of its bytes. Two stamps of the same file tell whether someone else wrote
// it since: the bytes decide, so a file written again with the same bytes (or only touched)
// counts as unchanged, and a change that keeps the size and the time still shows.
//
// A value.
struct FileStamp {
    bool Exists = false;
    std::uint64_t Size = 0;
    std::int64_t ModifiedNs = 0; // time of last change, in ns since the epoch
    std::uint64_t Hash = 0;      // of the bytes (FNV-1a, 64 bits)

    // The stamp of `bytes`, just read from or written to `path`.
    static FileStamp Of(const std::string& path, std::string_view bytes);
    // The file's stamp as it stands; an unreadable or missing file has one that does not exist.
    static FileStamp Of(const std::string& path);
    // The size and time alone, without reading the file (no hash).
    static FileStamp Peek(const std::string& path);
    // The time of last change alone; 0 when the file is not there.
    static std::int64_t ModifiedAt(const std::string& path);

    // Whether the file holds other bytes than when `this` was taken (or appeared, or went).
    bool ChangedIn(const FileStamp& now) const { return Exists != now.Exists || Size != now.Size || Hash != now.Hash; }
    // Whether the file may hold other bytes than when `this` was taken, by a Peek: the same size and
    // time say no without reading it (a watch hears of every write in the folder).
    bool MayDifferFrom(const FileStamp& peeked) const
    {
        return Exists != peeked.Exists || Size != peeked.Size || ModifiedNs != peeked.ModifiedNs;
    }
};
