#pragma once

#include <QString>

#include <string>

// Qt's own texts in the language shown: the buttons of message boxes, the file and print
// dialogs, the context menus of text boxes and of the web page. They come from the Qt
// translation files of the system (qtbase_ru.qm and the like, in Qt's translations folder),
// installed as the language is applied and removed when it changes.
//
// A language name is matched against the English names of the languages Qt knows
// ("Russian", "German"), letter case included, as the language file's name is. English, a
// name Qt does not know, or translation files that are missing or unreadable leave Qt's
// texts in English; nothing is reported.
//
// GUI thread only.
class QtTranslations {
public:
    static void Use(const std::string& language);
    // Test hook: look for the translation files in `folder` instead of Qt's own (an empty
    // folder restores Qt's).
    static void SetFolder(const QString& folder);
};
