#include "catalogue/ui/ListPageCommands.h"

#include "catalogue/ListCommands.h"
#include "catalogue/ListDocument.h"
#include "catalogue/ListRows.h"
#include "common/ui/ErrorGuard.h"
#include "common/ui/FileDialogs.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"

void ListPageCommands::DeleteSelected(ListRows& list)
{
    if (list.SelectedCount() == 0) {
        MessageBoxes::Show(QString::fromUtf8(ListCommands::SelectItemFirst));
        return;
    }
    if (MessageBoxes::Ask(QString::fromUtf8(ListCommands::ConfirmText),
                          QString::fromUtf8(ListCommands::ConfirmCaption)) != MessageBoxes::Answer::Ok)
        return;
    ListCommands::DeleteSelected(list);
}

void ListPageCommands::Load(ListDocument& list, QWidget* parent, const Tell& tell)
{
    const QString name = FileDialogs::Open(parent);
    if (name.isEmpty()) return;
    const std::string path = LocalText::ToBytes(name);
    const ListDocument::LoadResult loaded = list.Load(path);
    if (!loaded.Problem.empty()) MessageBoxes::Show(LocalText::ToQ(loaded.Problem));
    if (loaded.Replaced) tell(ListDocument::LoadedMessage(path, list.Rows().Count()));
}

void ListPageCommands::Save(ListDocument& list, QWidget* parent, const Tell& tell)
{
    const QString name = FileDialogs::Save(parent, LocalText::ToQ(list.FileName()));
    if (name.isEmpty()) return;
    const std::string taken = list.Save(LocalText::ToBytes(name));
    if (!taken.empty()) tell(taken);
}

bool ListPageCommands::SaveAtClose(ListDocument& products, ListDocument& manual)
{
    // Rows that may not go over a file that was not read whole go aside; the user is told where.
    auto save = [](ListDocument& list) {
        const std::string putAside = list.SaveAtClose();
        if (!putAside.empty()) MessageBoxes::Show(LocalText::ToQ(putAside));
    };
    // The manual list is saved only when the user says so, but a change is not lost unasked.
    if (manual.Rows().Modified()) {
        const MessageBoxes::Answer answer =
            MessageBoxes::AskYesNoCancel(QString::fromUtf8(ListCommands::SaveManualQuestion), MessageBoxes::Title());
        if (answer == MessageBoxes::Answer::Cancel) return false;
        if (answer == MessageBoxes::Answer::Yes && !ErrorGuard::Run([&] { save(manual); })) return false;
    }
    return ErrorGuard::Run([&] { save(products); });
}
