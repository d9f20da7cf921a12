#include "common/ReasonWords.h"

#include <cctype>
#include <string_view>

namespace {

using namespace ReasonWords;

constexpr const char* Fixed[] = {Cancelled,      HttpsRefused, HostNotFound, NoAnswer,     Refused,
                                 CutShort,       SecureFailed, Certificate,  ProxyRefused, TooLarge,
                                 AddressTooLong, Reset,        NotTaken,     NoReply};

bool Digits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// "10" or "2.5", as Seconds writes them.
bool SecondsNumber(std::string_view text)
{
    const size_t dot = text.find('.');
    if (dot == std::string_view::npos) return Digits(text);
    return Digits(text.substr(0, dot)) && text.size() == dot + 2 && Digits(text.substr(dot + 1));
}

} // namespace

Phrase ReasonWords::Read(const std::string& words, bool fromSite)
{
    // An "X" carries what the site said, whatever it looks like; only our own sentence for a
    // reply that said nothing is ours.
    if (fromSite) return words == NotTaken ? Phrase(NotTaken) : Phrase::Text(words);
    for (const char* fixed : Fixed)
        if (words == fixed) return Phrase(fixed);
    const std::string_view text = words;
    constexpr std::string_view noAnswerIn = "no answer in ", seconds = " s", answered = "server answered ";
    if (text.starts_with(noAnswerIn) && text.ends_with(seconds) && text.size() > noAnswerIn.size() + seconds.size()) {
        const std::string_view number =
            text.substr(noAnswerIn.size(), text.size() - noAnswerIn.size() - seconds.size());
        if (SecondsNumber(number)) return Phrase(NoAnswerIn, {Phrase::Text(std::string(number))});
    }
    if (text.starts_with(answered) && text.size() > answered.size() &&
        std::isdigit(static_cast<unsigned char>(text[answered.size()])))
        return Phrase(ServerAnswered, {Phrase::Text(words.substr(answered.size()))});
    return Phrase::Text(words); // the network layer's own message
}
