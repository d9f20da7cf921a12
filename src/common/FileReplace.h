#pragma once

#include <stdexcept>
#include <string>

// An error reading or writing one of the program's files; the text names the file and
// the reason.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whole-file access with the guarantees a catalogue needs.
class FileReplace {
public:
    // The file's bytes. Throws FileError when it cannot be opened or read.
    static std::string ReadAll(const std::string& path);

    // Replaces the file by `bytes` atomically: the bytes go to a temporary file in the
    // same folder, are flushed to disk, and the temporary file is renamed over the old
    // one. A crash or a full disk leaves either the old file or the new one, never a cut
    // one. An existing file keeps its permissions; a symbolic link is followed.
    // An existing file that we may not write (read-only) is never replaced: FileError.
    // When the folder takes no temporary file (a read-only folder holding a writable
    // file), the file itself is rewritten in place and flushed to disk; room for the new
    // bytes is taken first, so a full disk stops that save before the file is touched, but
    // a crash or an I/O error in the middle of it can leave a cut file.
    // Throws FileError; the old file is then untouched (save for that last case).
    static void Write(const std::string& path, const std::string& bytes);

    static bool Exists(const std::string& path);
    // Whether two names lead to the same file: equal names, or names of one existing file
    // however they are written (other folder spelling, a link).
    static bool SameFile(const std::string& a, const std::string& b);
};
