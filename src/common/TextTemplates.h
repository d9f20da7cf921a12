#pragma once

#include <map>
#include <string>
#include <vector>

// Texts that the program composes in English from templates ("Cannot write file \"%1\": %2"),
// shown in another language: a text is matched against the English templates, the parts that
// filled the placeholders are taken back and put into that template's text in the language
// shown. A text of several lines is taken a line at a time; a line that matches no template
// is tried a sentence at a time (split at ". "); what matches nothing is shown as it is.
//
// Placeholders are %1 to %9. Where several templates match, the one with the most fixed
// characters wins, so "Success: %1 Failed: %2 Skipped: %3" beats "Success: %1 Failed: %2".
// The parts of the placeholders named as nested are themselves looked up (a reason word
// inside a sentence); other parts (titles, file names, numbers) are kept as they are.
//
// A plain value: built once, then only read. The window keeps the one of the language shown
// on its own thread; workers never read it.
class TextTemplates {
public:
    // Lines longer than this are shown as they are: no template is that long, and matching
    // stays cheap whatever a file or a server put into a message.
    static constexpr size_t MaxLine = 4096;
    // A line of more sentences than this is matched as a whole only.
    static constexpr size_t MaxSentences = 24;

    // `english` is the template the program composes from, `shown` the same text in the language
    // shown. `nested` lists the digits of the placeholders whose parts are looked up too. A shown
    // template that leaves out a placeholder of the English one, or names one it lacks, would
    // lose or invent a part of the message: the English template is shown instead.
    void Add(const std::string& english, const std::string& shown, const std::string& nested = {});

    std::string Translate(const std::string& text) const;

    // A caption, heading or name of ours, looked up by its English text as a whole (never
    // matched as a template); its placeholders are filled by the caller. The same checks of
    // the placeholders as for Add.
    void AddCaption(const std::string& english, const std::string& shown);
    std::string Caption(const std::string& english) const;

    size_t Count() const { return entries_.size(); }

    // The placeholder digits a template uses, in ascending order without repeats ("%2 %1" -> "12").
    static std::string Placeholders(const std::string& text);

private:
    struct Piece {
        std::string Literal; // fixed text, or empty for a placeholder
        int Slot = 0;        // 1 to 9 for a placeholder
    };
    struct Entry {
        std::vector<Piece> English;
        size_t Fixed = 0; // characters of fixed text
        std::string Shown;
        std::string Nested;
    };

    static std::vector<Piece> Split(const std::string& text);
    static bool Match(const std::vector<Piece>& pieces, size_t at, const std::string& text, size_t from,
                      std::vector<std::string>& parts);
    std::string Line(const std::string& line, int depth) const;
    // `line` as the template that explains most of it shows it; 0 when none matches, else how
    // many of its bytes the template and those of its nested parts explain.
    size_t Whole(const std::string& line, int depth, std::string& out) const;

    std::vector<Entry> entries_;
    std::map<std::string, std::string> captions_;
};
