#pragma once

#include "common/Phrase.h"

#include <map>
#include <string>

// Our texts in the language shown. A message is a Phrase: its template is looked up by its
// English text, exactly, and filled with its parts; a part that is data goes in as it is, a
// part that is a phrase of ours is shown the same way in turn. Nothing is ever guessed from
// a finished text, so a title or a link never changes, whatever words it holds.
//
// Placeholders are %1 to %9. A shown template that leaves out a placeholder of the English
// one, or names one it lacks, would lose or invent a part of the message: the English
// template is used instead.
//
// A plain value: built once, then only read. The window keeps the one of the language shown
// on its own thread; workers never read it.
class TextTemplates {
public:
    // `english` is a template the program composes from, `shown` the same text in the
    // language shown.
    void Add(const std::string& english, const std::string& shown);
    std::string Shown(const Phrase& phrase) const;

    // A caption, heading or name of ours, looked up by its English text; its placeholders are
    // filled by the caller. The same checks of the placeholders as for Add.
    void AddCaption(const std::string& english, const std::string& shown);
    std::string Caption(const std::string& english) const;

    size_t Count() const { return messages_.size(); }

    // The placeholder digits a template uses, in ascending order without repeats ("%2 %1" -> "12").
    static std::string Placeholders(const std::string& text);

private:
    std::map<std::string, std::string> messages_;
    std::map<std::string, std::string> captions_;
};
