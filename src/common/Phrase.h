#pragma once

#include <string>
#include <vector>

// A message as the program composes it, kept apart from the data it carries, so that the
// window can show it in another language without touching that data. A phrase is one of:
//
// - text: data shown as it is in every language (a title, a link, a file name, a number, a
//   site's own words, an error of the system);
// - ours: an English template of ours ("Cannot write file \"%1\": %2") and the parts that fill
//   its placeholders %1 to %9, each a phrase itself; the window translates the template by
//   its English text and puts the parts in;
// - joined: phrases put one after another with a fixed separator (lines, sentences).
//
// English() gives the English bytes that the command line, the report files and the logs
// show. A plain value of any thread.
class Phrase {
public:
    enum class Kind { Text, Ours, Joined };

    Phrase() = default; // empty text
    explicit Phrase(std::string english, std::vector<Phrase> parts = {});

    static Phrase Text(std::string text);
    // `pieces` one after another, `separator` between each two (never translated); empty
    // pieces are left out, with their separator.
    static Phrase Join(std::vector<Phrase> pieces, std::string separator);
    static Phrase Lines(std::vector<Phrase> lines) { return Join(std::move(lines), "\n"); }

    Kind Type() const { return kind_; }
    // The text, the English template, or the separator.
    const std::string& Words() const { return words_; }
    const std::vector<Phrase>& Parts() const { return parts_; }
    bool Empty() const;

    std::string English() const;

    // `tmpl` with each placeholder %n replaced by part(n) (n from 1 to 9); a placeholder whose
    // part is missing is kept as written. Parts are put in once: a "%1" inside a part stays.
    template <typename PartText>
    static std::string Fill(const std::string& tmpl, size_t partCount, PartText part);

    static bool IsPlaceholder(const std::string& text, size_t i)
    {
        return text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9';
    }

private:
    Kind kind_ = Kind::Text;
    std::string words_;
    std::vector<Phrase> parts_;
};

template <typename PartText>
std::string Phrase::Fill(const std::string& tmpl, size_t partCount, PartText part)
{
    std::string out;
    for (size_t i = 0; i < tmpl.size(); ++i) {
        const size_t slot = IsPlaceholder(tmpl, i) ? static_cast<size_t>(tmpl[i + 1] - '1') : partCount;
        if (slot >= partCount) {
            out += tmpl[i];
            continue;
        }
        out += part(slot);
        ++i;
    }
    return out;
}
