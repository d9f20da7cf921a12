#include "catalogue/ListDocument.h"

#include "catalogue/CatalogueFile.h"
#include "catalogue/DiskMerge.h"
#include "catalogue/ListRows.h"

namespace {

std::string NameOf(const std::string& path)
{
    return path.substr(path.find_last_of('/') + 1);
}

DiskMerge::Rows RowsOf(std::string_view bytes, int fields)
{
    DiskMerge::Rows rows;
    for (const std::string& line : CatalogueFile::SplitLines(bytes))
        rows.push_back(CatalogueFile::CutLine(line, fields));
    return rows;
}

} // namespace

ListDocument::ListDocument(ListRows& rows, std::string dataPath, int fields, bool checkLoaded, int keyField)
    : rows_(rows),
      history_(rows),
      dataPath_(std::move(dataPath)),
      fields_(fields),
      checkLoaded_(checkLoaded),
      keyField_(keyField),
      recovery_(dataPath_)
{
    // The last column holds what tests and visits say of a row, not the user's change.
    history_.SetStatusColumn(rows.ColumnCount() - 1);
    history_.AddOnChange([this] { ListChanged(); });
}

void ListDocument::TakeStamp()
{
    try {
        read_ = FileReplace::ReadAll(dataPath_);
        stamp_ = FileStamp::Of(dataPath_, read_);
    } catch (const FileError&) {
        read_.clear();
        stamp_ = {};
    }
}

void ListDocument::ReadAtStart()
{
    struct Forget {
        ListHistory& history;
        ~Forget() { history.Clear(); }
    } forget{history_};
    if (RecoveryCopy::Offered(dataPath_)) {
        try {
            offered_ = FileReplace::ReadAll(RecoveryCopy::NameOf(dataPath_));
        } catch (const FileError&) {
            offered_.reset();
        }
    }
    TakeStamp();
    CatalogueFile::ReadList(rows_, dataPath_, checkLoaded_);
}

ListDocument::LoadResult ListDocument::Load(const std::string& path)
{
    const ListHistory::Step step(history_, "Load");
    try {
        CatalogueFile::ReadList(rows_, path, checkLoaded_, true);
    } catch (const RefusedFile& e) {
        return {false, e.what()};
    } catch (const IncompleteRead& e) {
        return {true, e.what()}; // the list shows what could be read
    }
    return {true, {}};
}

std::string ListDocument::LoadedMessage(const std::string& path, int rows)
{
    return "Rows loaded from " + NameOf(path) + ": " + std::to_string(rows) + ". Undo brings the previous list back.";
}

std::string ListDocument::TakeInFile()
{
    std::string disk;
    try {
        disk = FileReplace::ReadAll(dataPath_);
    } catch (const FileError&) {
        return {}; // gone or unreadable: nothing to take in
    }
    if (!stamp_.ChangedIn(FileStamp::Of(dataPath_, disk))) return {};
    const std::string name = NameOf(dataPath_);
    if (!rows_.Modified()) {
        const ListHistory::Step step(history_, "Reload");
        try {
            CatalogueFile::ReadList(rows_, dataPath_, checkLoaded_);
        } catch (const IncompleteRead& e) {
            return e.what();
        }
        return name + " was changed by another program; the list was read from it again.";
    }
    DiskMerge::Rows mine;
    for (int r = 0; r < rows_.Count(); ++r) {
        DiskMerge::Row row;
        for (int c = 0; c < fields_; ++c) row.emplace_back(rows_.Text(r, c));
        mine.push_back(std::move(row));
    }
    const DiskMerge::Result merge = DiskMerge::Merge(RowsOf(read_, fields_), mine, RowsOf(disk, fields_), keyField_);
    if (merge.Taken() == 0) return {};
    {
        const ListHistory::Step step(history_, "Merge");
        rows_.BeginUpdate();
        for (const auto& [index, row] : merge.Replacements)
            for (int c = 0; c < fields_; ++c) rows_.SetText(static_cast<int>(index), c, row[static_cast<size_t>(c)]);
        for (const DiskMerge::Row& row : merge.Additions) {
            ListRow added;
            added.Caption = row[0];
            added.SubItems.assign(row.begin() + 1, row.end());
            added.SubItems.resize(static_cast<size_t>(rows_.ColumnCount() - 1));
            added.Checked = checkLoaded_;
            rows_.Add(std::move(added));
        }
        rows_.EndUpdate();
    }
    return name +
           " was changed by another program while the list had changes of its own; rows of it kept beside yours: " +
           std::to_string(merge.Taken()) + ".";
}

std::string ListDocument::Save(const std::string& path)
{
    const bool own = FileReplace::SameFile(path, dataPath_);
    const std::string taken = own ? TakeInFile() : std::string();
    CatalogueFile::SaveList(rows_, path, fields_);
    if (own) TakeStamp();
    ListChanged();
    return taken;
}

std::string ListDocument::SaveAtClose()
{
    TakeInFile();
    const std::string written = CatalogueFile::SaveOnClose(rows_, dataPath_, fields_);
    rows_.SetModified(false);
    if (written == dataPath_) TakeStamp();
    ListChanged();
    if (!written.empty() && written != dataPath_) return CatalogueFile::PutAsideMessage(dataPath_, written);
    return {};
}

std::string ListDocument::FileChanged()
{
    if (rows_.Modified() || !stamp_.MayDifferFrom(FileStamp::Peek(dataPath_))) return {};
    return TakeInFile();
}

void ListDocument::ListChanged()
{
    if (rows_.Modified()) {
        recovery_.Keep(CatalogueFile::Format(rows_, fields_));
        kept_ = true;
    } else if (kept_) {
        recovery_.Drop();
        kept_ = false;
    }
}

void ListDocument::Fill(std::string_view bytes)
{
    rows_.BeginUpdate();
    rows_.Clear();
    for (const std::string& line : CatalogueFile::SplitLines(bytes)) {
        std::vector<std::string> fields = CatalogueFile::CutLine(line, rows_.ColumnCount());
        ListRow row;
        row.Caption = std::move(fields[0]);
        row.SubItems.assign(fields.begin() + 1, fields.end());
        row.Checked = checkLoaded_;
        rows_.Add(std::move(row));
    }
    rows_.EndUpdate();
}

std::string ListDocument::OfferMessage(const std::string& names)
{
    return "Unsaved changes of " + names + " kept: File > Restore Unsaved Changes";
}

std::string ListDocument::RestoreUnsaved()
{
    if (!offered_) return {};
    {
        const ListHistory::Step step(history_, "Restore");
        Fill(*offered_);
    }
    offered_.reset();
    return "The unsaved changes of " + NameOf(dataPath_) + " were restored; rows: " + std::to_string(rows_.Count()) +
           ". Undo takes them back.";
}

std::string ListDocument::OfferedNames(const std::vector<ListDocument*>& lists)
{
    std::string names;
    for (const ListDocument* document : lists)
        if (document->RecoveryOffered()) names += (names.empty() ? "" : ", ") + document->FileName();
    return names;
}

std::string ListDocument::RestoreOffered(const std::vector<ListDocument*>& lists, int& first)
{
    std::string told;
    first = -1;
    for (size_t i = 0; i < lists.size(); ++i) {
        if (!lists[i]->RecoveryOffered()) continue;
        told += (told.empty() ? "" : " ") + lists[i]->RestoreUnsaved();
        if (first < 0) first = static_cast<int>(i);
    }
    return told;
}
