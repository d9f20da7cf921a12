#pragma once

#include "catalogue/FileStamp.h"
#include "catalogue/ListHistory.h"
#include "catalogue/RecoveryCopy.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ListRows;

// One of the window's catalogue lists with the file the program keeps it in (data/products.dat,
// data/sites.dat): the commands that read or write the list as a whole, and what the user is
// told about them. A page runs its list's file commands through here, so that each change of
// the whole list has one place.
//
// Another program may write the file while the window is open. The document remembers the
// file as it read or last wrote it (FileStamp): when the file changes and the list holds no
// unsaved change, the list is read from it again (FileChanged); a save of the list to its file
// first takes in the rows that appeared there (DiskMerge, keyed by `keyField`), so nothing
// that other program wrote is lost.
//
// While the list holds changes that its file does not, they are kept in a recovery copy
// beside the file (RecoveryCopy), written off this thread; at the next start a copy newer
// than the file is offered, and taken only by RestoreUnsaved.
//
// Over a list it does not own, whose undo history it keeps; the thread that owns the list.
class ListDocument {
public:
    // `fields`: the columns each line of the file holds. `checkLoaded`: rows read from a file
    // come checked. `keyField`: the field that names a row when the file and the list are
    // compared (the PAD link of a product, the title of a site).
    ListDocument(ListRows& rows, std::string dataPath, int fields, bool checkLoaded, int keyField = 0);

    ListRows& Rows() const { return rows_; }
    // Every change of the list's rows since the program's own read at start, for Undo.
    ListHistory& History() { return history_; }
    const std::string& DataPath() const { return dataPath_; }
    // The data file's name without its folder: what Save offers.
    std::string FileName() const { return dataPath_.substr(dataPath_.find_last_of('/') + 1); }

    // Reads the program's own file at start; that read is not a step to undo. Throws FileError (IncompleteRead for a
    // file read in part: the list has the rows before the break). A recovery copy newer than
    // the file is kept to be offered, whatever became of the read.
    void ReadAtStart();

    // The user's Load of `path`, one step to undo ("Load"). A file that is no text is refused
    // and the list keeps its rows; a file read only in part leaves the rows that could be read.
    // Throws FileError when it cannot be read at all (the list then keeps its rows).
    struct LoadResult {
        bool Replaced = false; // the list holds the file's rows (all, or those before a break)
        std::string Problem;   // why the file was refused or read in part; empty when read whole
    };
    LoadResult Load(const std::string& path);
    // What the status bar says after a Load that brought `rows` rows in.
    static std::string LoadedMessage(const std::string& path, int rows);

    // The user's Save to `path`, also over a file that could not be read. Saved to the list's
    // own file, the rows that someone else wrote there meanwhile are taken in first. Returns
    // what to tell of that; empty when there was nothing. Throws FileError.
    std::string Save(const std::string& path);

    // The save made when the program closes: the list goes to its own file, or aside when
    // that file holds a catalogue that could not be read. Rows written to the file meanwhile are
    // taken in first. The list counts as unmodified afterwards. Returns what to tell the user
    // when the rows went aside; empty otherwise. Throws FileError.
    std::string SaveAtClose();

    // The file changed on disk (the window's watch says so): a list without unsaved changes is
    // read from it again, as one step to undo ("Reload"). Returns what to tell the user; empty
    // when the file holds what the list was read from, or the list has changes of its own
    // (those are kept, and the file's new rows join them when the list is saved).
    std::string FileChanged();

    // After every change of the list (a step done, undone or redone; a save): its recovery copy
    // follows the list's unsaved state.
    void ListChanged();
    RecoveryCopy& Recovery() { return recovery_; }

    // Whether a recovery copy newer than the file was found at start and not yet restored.
    bool RecoveryOffered() const { return offered_.has_value(); }
    // What the status bar says of the copies offered, of the files `names` ("products.dat, sites.dat").
    static std::string OfferMessage(const std::string& names);
    // Replaces the rows by the recovery copy found at start, as one step to undo ("Restore").
    // The list then counts as changed. Returns what to tell the user.
    std::string RestoreUnsaved();
    // Of `lists`, the file names of those offering a recovery copy, joined by ", "; empty when
    // none.
    static std::string OfferedNames(const std::vector<ListDocument*>& lists);
    // Restores each of `lists` that offers its copy; returns what to tell of them all. `first`
    // becomes the index in `lists` of the first one restored, -1 when none was.
    static std::string RestoreOffered(const std::vector<ListDocument*>& lists, int& first);

private:
    // Remembers the file as it stands now, as the list was read from or written to it.
    void TakeStamp();
    // Before the list is written to its own file: a file changed since it was read or written
    // gives its rows to the list (read again when the list has no change of its own). Returns
    // what to tell; empty when the file had not changed.
    std::string TakeInFile();
    // Replaces the rows by the lines of `bytes` (already a step of the history's).
    void Fill(std::string_view bytes);

    ListRows& rows_;
    ListHistory history_;
    std::string dataPath_;
    int fields_;
    bool checkLoaded_;
    int keyField_;
    FileStamp stamp_;                    // the file as read or last written
    std::string read_;                   // its bytes then
    std::optional<std::string> offered_; // the recovery copy found at start, until restored
    bool kept_ = false;                  // a recovery copy was handed over since the list was last as its file
    RecoveryCopy recovery_;
};
