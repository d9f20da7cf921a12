#pragma once

#include "common/Phrase.h"
#include "submit/SiteTable.h"

#include <string>
#include <string_view>
#include <vector>

// The author's site sets, kept in data/sitesets.dat: named lists of site titles, built-in and
// own, that the window's Submit > Site Sets and `quillpost-cli site-sets` save, apply and
// delete. One line per site of a set: the set's name, "|", the site's title, "|", lines ended
// by CR LF (CR, LF and CR LF are all read); a set's lines keep the order its sites were saved
// in. A line that is no such pair is kept as read and written back after the sets.
//
// Each change reads the file, changes its one set and writes the file back atomically with a
// backup, so that the window and the command line never undo each other's sets.
//
// Plain functions; any thread.
class SiteSets {
public:
    static constexpr const char* FileName = "sitesets.dat";
    // The longest name, in bytes: a name shows in a menu.
    static constexpr size_t MaxName = 100;

    struct Set {
        std::string Name;
        std::vector<std::string> Sites; // titles, without repeats
    };

    struct File {
        std::vector<Set> Sets;          // by name
        std::vector<std::string> Other; // lines that hold no set's site, as read
    };

    // The file's sets; a missing file has none. Throws FileError.
    static File Load(const std::string& path);
    static File Parse(std::string_view bytes);
    static std::string Format(const File& file);

    // Why `name` cannot name a set (empty, blanks only, "|", a control character, longer than
    // MaxName), or an empty text.
    static std::string CheckName(const std::string& name);

    // Saves `set`, replacing a set of the same name. Refuses (returns why, writes nothing) a
    // bad name or a set without sites. Throws FileError.
    static std::string Save(const std::string& path, const Set& set);
    // Deletes the set; false when there is none of that name. Throws FileError.
    static bool Delete(const std::string& path, const std::string& name);

    // The set named, or null.
    static const Set* Find(const File& file, const std::string& name);

    // A set's sites as rows of `table`, in table order, and the titles the table no longer has.
    struct Rows {
        std::vector<int> Found;
        std::vector<std::string> Missing;
    };
    static Rows Resolve(const Set& set, const SiteTable& table);
    // What to tell of the missing titles of set `name`; empty when none are missing.
    static Phrase MissingMessage(const std::string& name, const std::vector<std::string>& missing);
};
