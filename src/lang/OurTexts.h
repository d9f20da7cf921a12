#pragma once

#include <array>

// One text of ours that the window shows: its key in section "Texts" of a language file, and
// the English text.
struct OurText {
    const char* Key;
    const char* English;
};

// The texts the program composes or shows beyond the captions of section "Interface":
// messages, reasons, tool tips and status bar texts, the templates of the phrases the program
// composes (Messages); and captions, headings and descriptions of our own windows and
// controls, looked up by their English text (Captions). The texts that the program's first
// build fixed in English ("Are you sure ?", "Finished.", the status words of the lists) are
// not here and stay English in every language, as do the command line's output and the
// report files.
class OurTexts {
public:
    static constexpr const char* Section = "Texts";

    static constexpr int MessageCount = 193;
    static const std::array<OurText, MessageCount>& Messages();

    static constexpr int CaptionCount = 67;
    static const std::array<OurText, CaptionCount>& Captions();
};
