#pragma once

#include "catalogue/ListHistory.h"

#include <string>

class ListRows;

// One of the window's catalogue lists with the file the program keeps it in (data/products.dat,
// data/sites.dat): the commands that read or write the list as a whole, and what the user is
// told about them. A page runs its list's file commands through here, so that each change of
// the whole list has one place.
//
// Over a list it does not own, whose undo history it keeps; the thread that owns the list.
class ListDocument {
public:
    // `fields`: the columns each line of the file holds. `checkLoaded`: rows read from a file
    // come checked.
    ListDocument(ListRows& rows, std::string dataPath, int fields, bool checkLoaded);

    ListRows& Rows() const { return rows_; }
    // Every change of the list's rows since the program's own read at start, for Undo.
    ListHistory& History() { return history_; }
    const std::string& DataPath() const { return dataPath_; }
    // The data file's name without its folder: what Save offers.
    std::string FileName() const { return dataPath_.substr(dataPath_.find_last_of('/') + 1); }

    // Reads the program's own file at start; that read is not a step to undo. Throws FileError (IncompleteRead for a
    // file read in part: the list has the rows before the break).
    void ReadAtStart();

    // The user's Load of `path`, one step to undo ("Load"). A file read only in part leaves the rows that could be read
    // and returns what to tell the user; empty when it was read whole. Throws FileError when
    // it cannot be read at all (the list then keeps its rows).
    std::string Load(const std::string& path);

    // The user's Save to `path`, also over a file that could not be read. Throws FileError.
    void Save(const std::string& path);

    // The save made when the program closes: the list goes to its own file, or aside when
    // that file holds a catalogue that could not be read. The list counts as unmodified
    // afterwards. Returns what to tell the user when the rows went aside; empty otherwise.
    // Throws FileError.
    std::string SaveAtClose();

private:
    ListRows& rows_;
    ListHistory history_;
    std::string dataPath_;
    int fields_;
    bool checkLoaded_;
};
