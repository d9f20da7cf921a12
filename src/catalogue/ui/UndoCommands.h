#pragma once

class ActionList;
class ListHistory;
class QAction;

// Undo (AUndo, Ctrl+Z) and Redo (ARedo, Ctrl+Shift+Z and Ctrl+Y) of the list on the page
// shown: each names the step it would take back or make again ("Undo Delete All") and is
// enabled only when there is one. The window tells it which list's history the page shown
// has (none on a page without one).
//
// Lives on the GUI thread; the histories it is given outlive it or are taken away first.
class UndoCommands {
public:
    static constexpr const char* UndoCaption = "Undo";
    static constexpr const char* RedoCaption = "Redo";

    explicit UndoCommands(ActionList& actions);
    // The history Undo and Redo act on; null for none.
    void SetTarget(ListHistory* history);
    // The histories of the pages, each followed so that the entries stay current.
    void Follow(ListHistory& history);
    ListHistory* Target() const { return target_; }

private:
    void Update();

    QAction* undo_;
    QAction* redo_;
    ListHistory* target_ = nullptr;
};
