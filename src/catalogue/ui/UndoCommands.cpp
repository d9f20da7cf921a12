#include "catalogue/ui/UndoCommands.h"

#include "catalogue/ListHistory.h"
#include "catalogue/ui/ActionList.h"
#include "common/ui/LocalText.h"

#include <QAction>
#include <QKeySequence>

UndoCommands::UndoCommands(ActionList& actions)
{
    undo_ = actions.Make("AUndo", "Edit", UndoCaption, [this] {
        if (target_) target_->Undo();
    });
    redo_ = actions.Make("ARedo", "Edit", RedoCaption, [this] {
        if (target_) target_->Redo();
    });
    undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    Update();
}

void UndoCommands::SetTarget(ListHistory* history)
{
    target_ = history;
    Update();
}

void UndoCommands::Follow(ListHistory& history)
{
    history.AddOnChange([this, &history] {
        if (target_ == &history) Update();
    });
}

std::string UndoCommands::Word(const std::string& word) const
{
    const auto it = words_.find(word);
    return it == words_.end() ? word : it->second;
}

void UndoCommands::SetWord(const std::string& word, const std::string& shown)
{
    words_[word] = shown;
    Update();
}

void UndoCommands::Update()
{
    undo_->setEnabled(target_ && target_->CanUndo());
    redo_->setEnabled(target_ && target_->CanRedo());
    auto caption = [this](const char* verb, const std::string& step) {
        return LocalText::ToQ(Word(verb) + (step.empty() ? std::string() : " " + Word(step)));
    };
    undo_->setText(caption(UndoCaption, target_ ? target_->UndoName() : std::string()));
    redo_->setText(caption(RedoCaption, target_ ? target_->RedoName() : std::string()));
}
