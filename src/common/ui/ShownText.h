#pragma once

#include "common/TextTemplates.h"

#include <QString>

#include <exception>
#include <string>

// Texts of ours in the language applied last. A message is a Phrase: its templates are looked
// up by their English text and its data put in as it is (the command line and the report
// files show the same phrase in English). Captions and names of our own controls are looked
// up by their English text.
//
// Belongs to the GUI thread: the language's texts are set and read there only. A call from
// another thread gets its text back as it is.
class ShownText {
public:
    static void Use(TextTemplates texts);

    static QString Message(const Phrase& message);
    // An error's text: a file error's phrase, any other error's text as it is.
    static Phrase Error(const std::exception& e);
    // A caption; its placeholders, if any, are the caller's to fill (QString::arg).
    static QString Caption(const char* english);
};
