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
    // dialogs, the validation commands, then From PAD of the two product dialogs.
    static constexpr int ExtraCount = 29;
    static const std::array<LanguageKey, ExtraCount>& Extra();
};
