#pragma once

#include "lang/LanguagePass.h"
#include "lang/Windows1251Notice.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>

class QObject;
class QTabWidget;
class QWidget;

// The captions a language file sets, found by their language keys among the controls of
// one main window: "Name->Caption" for a control, menu, menu entry, action or tab page of
// the main window, or for a secondary window itself; "Window->Control->Caption" for a
// control of a secondary window; "ListView->Column[n]->Caption" for a list's column
// heading. A key that no control carries finds nothing.
//
// Lives on the GUI thread; the main window and its page control outlive it.
class CaptionTable {
public:
    CaptionTable(QWidget* mainWindow, QTabWidget* pageControl);

    // The caption `key` names, as it stands now; nothing when no control carries that key.
    std::optional<QString> Caption(const std::string& key) const;

    // The words the program puts together at run time, each known by its English text:
    // what shows for it now, and how to set what shows.
    struct Words {
        std::function<std::string(const std::string& english)> Get;
        std::function<void(const std::string& english, const std::string& shown)> Set;
    };

    // Sets every caption of every window, and then `words`, from the language file at
    // `path`, read once; a caption or word the file does not name keeps its current text.
    // Returns the pass, for our texts to be looked up in it too; it is kept until the next
    // Apply, whose file is indexed again only when its bytes changed.
    const LanguagePass& Apply(const std::string& path, const Words& words = {});
    // What to tell the user after the last Apply (in English): that its file was read as
    // Windows-1251, once per change of the file; empty when there is nothing to tell.
    const std::string& Notice() const { return notice_; }

private:
    struct Slot {
        std::function<QString()> Get;
        std::function<void(const QString&)> Set;
        explicit operator bool() const { return static_cast<bool>(Get); }
    };

    Slot Find(const std::string& key) const;
    Slot SlotOf(QObject* object) const;

    QWidget* mainWindow_;
    QTabWidget* pageControl_;
    LanguagePass last_;
    Windows1251Notice windows1251_;
    std::string notice_;
};
