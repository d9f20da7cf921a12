#pragma once

#include "common/Phrase.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

// An error reading or writing one of the program's files; the text names the file and
// the reason. Words() is the same message as a phrase for the window (the text as it is
// when the error was made from a finished text).
class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& text) : std::runtime_error(text), words_(Phrase::Text(text)) {}
    explicit FileError(Phrase words) : std::runtime_error(words.English()), words_(std::move(words)) {}
    const Phrase& Words() const { return words_; }

private:
    Phrase words_;
};

// An existing file that cannot be replaced atomically, because its folder takes no new file:
// nothing was written, and the text names the file and says why.
class UnsafeReplaceError : public FileError {
public:
    using FileError::FileError;
};

// Whole-file access with the guarantees a catalogue needs.
//
// The temporary files of a save are named after the file and carry the writer's process id
// (".products.dat.quillpost-1234.Ab12Cd"), so that a start can tell the leftovers of a writer
// that was killed from those of a program still saving (RemoveLeftovers).
class FileReplace {
public:
    // Where a streamed write puts its bytes: they go out to the file a block at a time, so a
    // large file is never whole in memory. Put raises FileError when the disk refuses them
    // (the write is then abandoned). A Sink made by the caller keeps the bytes in memory.
    class Sink {
    public:
        static constexpr std::size_t BlockSize = 64 * 1024;

        Sink() = default;
        Sink(const Sink&) = delete;
        Sink& operator=(const Sink&) = delete;

        void Put(std::string_view bytes);
        void Put(char byte) { Put(std::string_view(&byte, 1)); }
        // The bytes kept, for a Sink that keeps them in memory.
        std::string Take() { return std::move(held_); }

    private:
        friend class FileReplace;
        Sink(int fd, const std::string& path) : fd_(fd), path_(&path) { held_.reserve(BlockSize); }
        void Flush();

        int fd_ = -1;                       // -1: the bytes stay in held_
        const std::string* path_ = nullptr; // the file's name, for the error
        std::string held_;
    };
    using Producer = std::function<void(Sink&)>;

    // The file's bytes. Throws FileError when it cannot be opened or read.
    static std::string ReadAll(const std::string& path);
    // As ReadAll for a file of at most `limit` bytes. No more than the limit and one byte is
    // read, so a huge file or an endless one (/dev/zero) is refused at once, in little memory:
    // FileError, naming the limit ("it is larger than 1 MiB").
    static std::string ReadLimited(const std::string& path, std::size_t limit);

    // Replaces the file by `bytes` atomically: the bytes go to a temporary file in the
    // same folder, are flushed to disk, and the temporary file is renamed over the old
    // one. A crash or a full disk leaves either the old file or the new one, never a cut
    // one. An existing file keeps its permissions.
    // A symbolic link is followed, never replaced: the file it leads to is written (and made
    // when it does not exist yet). Only a regular file is replaced: a path that leads to
    // something else (a FIFO, a device, a terminal) is written into as it is, and
    // /dev/stdout, /dev/stderr and /dev/fd/N write to that descriptor of this process.
    // An existing file that we may not write (read-only; for root, one that nobody may write)
    // is never replaced: FileError. Nor is a file whose folder takes no new file (a read-only
    // folder holding a writable file): rewriting it in place could leave it cut, so the error
    // says that it "cannot be replaced safely: its folder takes no new files"
    // (UnsafeReplaceError). A replaced file keeps its permissions, and its owner when root
    // replaces another user's file.
    // Before writing, the leftovers of this program's killed writers in the folder are removed
    // (RemoveLeftovers).
    // Throws FileError; the old file is then untouched.
    static void Write(const std::string& path, const std::string& bytes);
    // As Write, with the bytes made by `produce` while they are written. With `keepBackup`
    // the file being replaced is kept as a backup first when the new bytes differ
    // (FileBackups): the new bytes are compared once they are on disk, before the rename.
    // A FileError from the producer or the disk leaves the old file untouched.
    static void Write(const std::string& path, const Producer& produce, bool keepBackup = false);

    // Throws the FileError that Write would throw for a reason known before any byte is
    // written (no folder, a folder that takes no new file, a read-only file); writes nothing.
    static void CheckWritable(const std::string& path);

    // Removes the temporary files that writers of this program left in `folder` when they
    // were killed in the middle of a save (at each start, and before each Write into it): only
    // files named as Write names them, and only those whose writer process is gone. Returns how
    // many went.
    static int RemoveLeftovers(const std::string& folder);

    static bool Exists(const std::string& path);
    // Whether two names lead to the same file: equal names, or names of one existing file
    // however they are written (other folder spelling, a link).
    static bool SameFile(const std::string& a, const std::string& b);
};
