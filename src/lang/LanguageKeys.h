#pragma once

#include <array>

// One caption of the interface that a language file can replace: the key under which it
// stands in section "Interface", and the English text the control carries at start.
struct LanguageKey {
    const char* Key;
    const char* English;
};

// Every key of a language file, in the order in which a language is applied: the main
// menu, the tab pages, lists and speed label, the browser buttons, the actions, the manual
// list's context menu, the four item dialogs, the progress window and the about window.
class LanguageKeys {
public:
    static constexpr int Count = 91;
    static const std::array<LanguageKey, Count>& All();

    // The captions of the run reports, the proxy setting, the author's own sites and PAD
    // validation, which come after those above in a language file and are applied after them:
    // the Submit and Settings menus' entries, the proxy dialog, the site and author e-mail
    // dialogs, the validation commands, From PAD of the two product dialogs, then the Edit
    // menu, the history window's command, Skip Sites That Took It, then the PAD editor's
    // command and window.
    static constexpr int ExtraCount = 53;
    static const std::array<LanguageKey, ExtraCount>& Extra();

    // The words the program puts together at run time, after the captions in a language
    // file: the verbs of the Undo and Redo entries, then the names of the steps they take
    // ("Undo" and "Delete All" make "Undo Delete All"). A step's English name is the one
    // its command gives the list's history.
    static constexpr int WordCount = 15;
    static const std::array<LanguageKey, WordCount>& Words();
};
