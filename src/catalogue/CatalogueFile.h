#pragma once

#include "common/FileReplace.h"

#include <string>
#include <string_view>
#include <vector>

class ListRows;

// A catalogue file that was read only in part (a NUL byte or a field longer than
// MaxFieldLength ends reading) or not at all (UTF-16 text). Its text is for the user as it stands: it names the file
// and says why.
class IncompleteRead : public FileError {
public:
    using FileError::FileError;
};

// A file refused before a row of it was taken (UTF-16 text, or no text at all): the list is
// as it was.
class RefusedFile : public IncompleteRead {
public:
    using IncompleteRead::IncompleteRead;
};

// The plain text catalogue files: products.dat (title|link|category|, and a fourth field
// "Yes" or "No" when the product's PAD file was validated), sites.dat
// (title|link|) and categories.dat (one category a line). Bytes are kept exactly as
// they are in the file; nothing is re-encoded.
class CatalogueFile {
public:
    static constexpr int ProductFields = 3;
    static constexpr int SiteFields = 2;
    // A field longer than this is no catalogue text: the file counts as not read whole.
    static constexpr size_t MaxFieldLength = 64 * 1024;

    // Splits file bytes into lines: a line ends at CR, LF or CR LF; a last line without
    // an end is still a line; everything from the first NUL byte on is ignored.
    static std::vector<std::string> SplitLines(std::string_view bytes);

    // The lines of a file. Throws FileError.
    static std::vector<std::string> ReadLines(const std::string& path);

    // Cuts one line into `columns` texts: the caption is what stands before the first
    // "|" (empty when there is none), each further column takes the text up to the next
    // "|" or all that is left. Extra fields are ignored, missing ones are empty.
    static std::vector<std::string> CutLine(const std::string& line, int columns);

    // Replaces the rows of `list` by the file's records (unchecked, or checked when
    // `checkRows`). The file is read whole before the list is touched: when it cannot
    // be read the list keeps its rows, is marked as failed for that path, and FileError
    // is thrown. A file that cannot be read whole counts as failed too: one holding a NUL
    // byte, or a line with a field longer than MaxFieldLength, gives the rows before it,
    // one in UTF-16 (it starts with FF FE or FE FF) leaves
    // the list as it was; both mark the list and throw IncompleteRead. A later successful
    // read of the same file clears the mark; so does an explicit save to it (SaveList:
    // the user chose to replace the file). A list read anew counts as unmodified.
    // `refuseNonText` (a file the user picked): a file that is not text (NotText) is refused
    // whole with a message naming it, and the list stays as it was. Any text file is read,
    // its lines cut as CutLine cuts them, however few "|" they hold.
    static void ReadList(ListRows& list, const std::string& path, bool checkRows = false, bool refuseNonText = false);

    // Why `bytes` are no text, or nothing when they are: a NUL byte, or a control byte other
    // than tab, CR, LF and form feed ("it holds binary data"). Bytes that are not UTF-8 are
    // 8-bit text in some code page, and accepted.
    static std::string NotText(std::string_view bytes);

    // Lifts the failed-load mark of every name of the file `path` (read or written in
    // full since).
    static void ForgetFailedLoad(ListRows& list, const std::string& path);

    // The bytes the writer produces: for every row top to bottom, the first `fields`
    // columns each followed by "|", then CR LF.
    static std::string Format(const ListRows& list, int fields);
    // The same bytes, put into `out` row by row.
    static void FormatTo(const ListRows& list, int fields, FileReplace::Sink& out);

    // Replaces the file by the list's records, atomically, writing them as they are formatted
    // (the file's bytes are never whole in memory). Throws FileError. SaveList and SaveOnClose
    // keep the file being replaced as a backup (FileBackups).
    static void WriteList(const ListRows& list, const std::string& path, int fields);

    // The user's Save: writes the list, lifts the failed-load mark of that file and
    // counts the list as unmodified. Throws FileError (the list is then unchanged).
    static void SaveList(ListRows& list, const std::string& path, int fields);

    // The save made when the program closes. It writes `path` unless the list is marked
    // as having failed to load from that very file and the file is still there: then the
    // file is left alone (it holds the user's catalogue that could not be read), and any
    // rows the list has are put aside in `path` + ".unsaved", or when that exists in
    // ".unsaved.2", ".unsaved.3", ...: rows put aside before are never written over. A
    // failed load of some other file does not lift that protection. Returns the file
    // written, or an empty text when nothing was written. Throws FileError.
    static std::string SaveOnClose(const ListRows& list, const std::string& path, int fields);
    // What to tell the user when SaveOnClose put the rows of `path` aside in `aside`.
    static std::string PutAsideMessage(const std::string& path, const std::string& aside);

    // The category list: the file's lines, in order, each whole. Throws FileError.
    static std::vector<std::string> ReadCategories(const std::string& path);
};
