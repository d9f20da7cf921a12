#pragma once

#include "common/TextTemplates.h"

#include <QString>

#include <string>

// Texts of ours in the language shown: the program composes its messages in English (the
// command line and the report files use them so), and the window puts them into the language
// applied last as it shows them. Messages are matched against their templates; captions and
// names of our own controls are looked up by their English text.
//
// Belongs to the GUI thread: the language's texts are set and read there only. A call from
// another thread gets its text back as it is.
class ShownText {
public:
    static void Use(TextTemplates texts);

    static QString Message(const QString& english);
    static QString Message(const std::string& english);
    // A caption; its placeholders, if any, are the caller's to fill (QString::arg).
    static QString Caption(const char* english);
};
