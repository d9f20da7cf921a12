#pragma once

#include <string>

// Earlier generations of a catalogue file, kept beside it when a save replaces it: NAME.bak
// is the file as it was before the last save that changed it, NAME.bak.2 the one before,
// up to NAME.bak.5. The user restores one by loading it. A slot that holds something other
// than a regular file or a link (a folder, a FIFO, a device) is skipped: it is never opened, so
// a save never waits on it, and the generations go to the other slots.
class FileBackups {
public:
    static constexpr int Generations = 5;

    // NAME.bak for generation 1, NAME.bak.N after it.
    static std::string NameOf(const std::string& path, int generation);

    // Before `path` is replaced by `bytes`: when it is a regular file whose bytes differ from
    // `bytes` and from its newest backup, every backup moves one generation back (the oldest
    // goes) and the file's bytes become NAME.bak, with the file's permissions. Never throws
    // and never stops a save: in a folder that takes no new files, or when anything else
    // fails, the backups stay as they were.
    static void Keep(const std::string& path, const std::string& bytes);
    // As Keep, with the new bytes in the file `newFile` (a save's finished temporary file).
    // Files are compared and copied a block at a time, never read whole.
    static void KeepFor(const std::string& path, const std::string& newFile);
};
