#pragma once

class ListDocument;
class ListRows;
class QWidget;

// The commands that the Products and Manual Submit pages share, with their questions and
// messages: Delete of the selected rows, Load and Save through the file dialogs.
//
// GUI thread.
class ListPageCommands {
public:
    // "Select Item First ! " when no row is selected; otherwise the rows go once the user
    // confirms.
    static void DeleteSelected(ListRows& list);
    // Replaces the list by a file the user picks; a file read in part is told.
    static void Load(ListDocument& list, QWidget* parent);
    // Writes the list to a file the user picks, the name of its own file offered.
    static void Save(ListDocument& list, QWidget* parent);
};
