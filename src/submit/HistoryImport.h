#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class HistoryStore;

// Run reports (CSV) taken into the history, each as one submit run: started at its first
// record's time, ended at its last, "Cancelled" when some pair was. A report is known by a
// digest of its bytes, so the same file is never taken twice, however it is named or moved.
// The reports stay as they are.
//
// Plain functions of their arguments, on the store's owner thread.
class HistoryImport {
public:
    static constexpr int AlreadyImported = -1;

    // Takes the report at `path` in; returns how many outcomes, or AlreadyImported. Throws
    // FileError when the file cannot be read or is no report, SqliteError when the history
    // fails: then nothing of it is taken.
    static int Import(HistoryStore& store, const std::string& path);
    // The same for bytes read elsewhere; `name` names them in messages and the history.
    static int ImportBytes(HistoryStore& store, std::string_view bytes, const std::string& name);

    // Takes in every report (run-*.csv) of `programFolder`/reports/ that is not in yet, oldest
    // name first. Returns a line for the user per file that could not be taken; empty when
    // all went well (or there was none).
    static std::string ImportFolder(HistoryStore& store, const std::string& programFolder);

    // FNV-1a, 64 bits: the same on every build and machine.
    static std::uint64_t Digest(std::string_view bytes);
};
