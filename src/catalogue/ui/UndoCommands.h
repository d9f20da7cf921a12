#pragma once

#include <map>
#include <string>

class ActionList;
class ListHistory;
class QAction;

// Undo (AUndo, Ctrl+Z) and Redo (ARedo, Ctrl+Shift+Z and Ctrl+Y) of the list on the page
// shown: each names the step it would take back or make again ("Undo Delete All") and is
// enabled only when there is one. The window tells it which list's history the page shown
// has (none on a page without one). The words of the entries follow the language: a verb or
// a step's name, known by its English text, shows as the language last set it.
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

    // The word shown for the English `word` ("Undo", "Delete All"); the word itself until
    // a language sets another.
    std::string Word(const std::string& word) const;
    void SetWord(const std::string& word, const std::string& shown);

private:
    void Update();

    QAction* undo_;
    QAction* redo_;
    ListHistory* target_ = nullptr;
    std::map<std::string, std::string> words_;
};
