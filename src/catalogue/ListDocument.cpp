#include "catalogue/ListDocument.h"

#include "catalogue/CatalogueFile.h"
#include "catalogue/ListRows.h"

ListDocument::ListDocument(ListRows& rows, std::string dataPath, int fields, bool checkLoaded)
    : rows_(rows), history_(rows), dataPath_(std::move(dataPath)), fields_(fields), checkLoaded_(checkLoaded)
{
    // The last column holds what tests and visits say of a row, not the user's change.
    history_.SetStatusColumn(rows.ColumnCount() - 1);
}

void ListDocument::ReadAtStart()
{
    struct Forget {
        ListHistory& history;
        ~Forget() { history.Clear(); }
    } forget{history_};
    CatalogueFile::ReadList(rows_, dataPath_, checkLoaded_);
}

std::string ListDocument::Load(const std::string& path)
{
    const ListHistory::Step step(history_, "Load");
    try {
        CatalogueFile::ReadList(rows_, path, checkLoaded_);
    } catch (const IncompleteRead& e) {
        return e.what(); // the list shows what could be read
    }
    return {};
}

void ListDocument::Save(const std::string& path)
{
    CatalogueFile::SaveList(rows_, path, fields_);
}

std::string ListDocument::SaveAtClose()
{
    const std::string written = CatalogueFile::SaveOnClose(rows_, dataPath_, fields_);
    rows_.SetModified(false);
    if (!written.empty() && written != dataPath_) return CatalogueFile::PutAsideMessage(dataPath_, written);
    return {};
}
