#pragma once

#include <functional>
#include <string>

class ListDocument;
class ListRows;
class QWidget;

// The commands that the Products and Manual Submit pages share, with their questions and
// messages: Delete of the selected rows, Load and Save through the file dialogs, and the
// saving of both lists when the window closes.
//
// GUI thread.
class ListPageCommands {
public:
    // "Select Item First ! " when no row is selected; otherwise the rows go once the user
    // confirms.
    static void DeleteSelected(ListRows& list);
    // What the status bar is to say.
    using Tell = std::function<void(const std::string&)>;
    // Replaces the list by a file the user picks; a file refused or read in part is told in a
    // message box, and how many rows came in, in the status bar.
    static void Load(ListDocument& list, QWidget* parent, const Tell& tell);
    // Writes the list to a file the user picks, the name of its own file offered; rows that
    // someone else wrote to its own file meanwhile and that were kept are told.
    static void Save(ListDocument& list, QWidget* parent, const Tell& tell);
    // At close: the products are saved; the manual list only when the user says so, but a
    // change of it is not lost unasked. False when the window is to stay open (the user
    // cancelled, or a list could not be saved, which has been told).
    static bool SaveAtClose(ListDocument& products, ListDocument& manual);
};
