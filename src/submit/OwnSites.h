#pragma once

#include "catalogue/FileStamp.h"
#include "common/Phrase.h"
#include "submit/SiteTable.h"

#include <set>
#include <string>
#include <string_view>
#include <vector>

// The author's own automatic sites, kept in data/autosites.dat beside the built-in table:
// one site a line, seven fields each ended by "|" (title|script address|method|PAD-link
// field|category field|e-mail field|success marker|), lines ended by CR LF (CR, LF and CR LF
// are all read). The list is held in ascending title order and shown after the built-in rows.
//
// A line that is no valid site (another number of fields, a field the dialog would refuse,
// a title already used) is skipped and reported with its line number, but never lost: it is
// kept as read and written back, untouched, after the sites when the list is next saved. A
// file that could not be read whole (unreadable, a NUL byte, UTF-16 text) is never written
// over: Save refuses, so the author's file stays as it is.
//
// A value; one thread at a time.
class OwnSites {
public:
    static constexpr const char* FileName = "autosites.dat";
    static constexpr int Fields = 7;

    struct SkippedLine {
        int Line = 0;       // 1-based line of the file
        std::string Text;   // the line as read
        std::string Reason; // why it was skipped
    };

    // `base`: the table the sites are shown after; their titles cannot be taken again.
    explicit OwnSites(const SiteTable& base = SiteTable::BuiltIn());

    // Replaces the list by the file's sites. A missing file is an empty list. Throws FileError
    // when the file cannot be read, or read whole (the sites before a NUL byte are kept).
    void Load(const std::string& path);
    // The same on the file's bytes; `path` names it in messages.
    void Parse(std::string_view bytes, const std::string& path);

    const std::vector<SiteRecord>& Sites() const { return sites_; }
    const std::vector<SkippedLine>& Skipped() const { return skipped_; }
    // What to tell the user about the skipped lines of the last Load; empty when none were.
    std::string SkippedMessage(const std::string& path) const;

    // Why `site` cannot be one of the list's sites, or an empty text when it can. `replacing`:
    // the index of the site it would replace, -1 for a new one.
    std::string Check(const SiteRecord& site, int replacing = -1) const;
    // The same without comparing titles: the fields on their own.
    static std::string CheckFields(const SiteRecord& site);
    // Why `address` cannot be the author's e-mail address (a blank, a control character, "|",
    // no "@"), or an empty text. An empty address is none, and accepted.
    static std::string CheckEmail(const std::string& address);
    // The key of the address in the settings file's section [Configuration].
    static constexpr const char* EmailKey = "AuthorEmail";

    // Each returns the refusal (and changes nothing) or an empty text. The list stays in title
    // order; `placed`, when given, gets the new index of the site.
    std::string Add(SiteRecord site, int* placed = nullptr);
    std::string Replace(int index, SiteRecord site, int* placed = nullptr);
    // Adds many sites in one go, as Add would one after the other (a title is taken by the
    // first site that has it), in time that grows with the count, not its square. Returns
    // each site's refusal, empty for those added.
    std::vector<std::string> AddAll(std::vector<SiteRecord> sites);
    void Remove(int index);

    // The file's bytes: the sites, then the skipped lines as they were read.
    std::string Format() const;
    // Writes Format() to `path` atomically. Throws FileError, also when the list came from a
    // file that could not be read whole. When someone else wrote the file since it was read
    // or last saved (the command line's import while the window is open), its sites are taken
    // in first (DiskMerge, by title): a site that appeared there is added, one changed there
    // replaces the one the list left as read, and one that cannot join the list (its title is
    // taken by a site of the list's own) is kept as a skipped line, written back untouched.
    // Returns how many sites of the file's were taken in.
    int Save(const std::string& path);
    // What to tell when a save took in `taken` sites of the file's, and when the file was read
    // again because someone else wrote it.
    static Phrase TakenMessage(const std::string& path, int taken);
    static Phrase ReadAgainMessage(const std::string& path);
    // Whether the file holds other bytes than when it was last read or saved here.
    bool ChangedOnDisk(const std::string& path) const
    {
        return stamp_.MayDifferFrom(FileStamp::Peek(path)) && stamp_.ChangedIn(FileStamp::Of(path));
    }

    // The base table's rows, then the sites.
    SiteTable Combined() const;
    const SiteTable& Base() const { return base_; }

private:
    void Insert(SiteRecord site, int* placed);
    void SortByTitle();
    static std::string TitleTaken(const std::string& title);

    SiteTable base_;
    std::set<std::string> baseTitles_;
    std::vector<SiteRecord> sites_;
    std::vector<SkippedLine> skipped_;
    std::string notWhole_; // not empty: the file read last was not read whole, and why
    std::string read_;     // the file's bytes as last read or saved
    FileStamp stamp_;      // the same file's stamp then

    // Takes in the sites of `disk`, the file's bytes now. Returns how many.
    int TakeIn(const std::string& disk, const std::string& path);
};
