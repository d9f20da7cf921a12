#include "submit/WorkReason.h"

#include "common/ReasonWords.h"
#include "common/StatusWords.h"
#include "net/HttpUrl.h"
#include "submit/Work.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

using namespace ReasonWords;

namespace {

// The reason phrase of a status line ("HTTP/1.1 404 Not Found" gives "Not Found"), without
// control bytes; empty when the line has none.
std::string StatusPhrase(const std::string& statusLine)
{
    const size_t code = statusLine.find(' ');
    const size_t phrase = code == std::string::npos ? code : statusLine.find(' ', code + 1);
    if (phrase == std::string::npos) return {};
    std::string text;
    for (const char c : statusLine.substr(phrase + 1, 64))
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) text += c;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// U+202A-202E and U+2066-2069 in UTF-8 at `at`.
bool DirectionOverride(const std::string& body, size_t at)
{
    if (at + 2 >= body.size() || body[at] != '\xE2') return false;
    const unsigned char second = static_cast<unsigned char>(body[at + 1]),
                        third = static_cast<unsigned char>(body[at + 2]);
    return (second == 0x80 && third >= 0xAA && third <= 0xAE) || (second == 0x81 && third >= 0xA6 && third <= 0xA9);
}

bool StartsElement(const std::string& body, size_t at, const char* name)
{
    const size_t n = std::strlen(name);
    if (body.size() < at + 1 + n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(body[at + 1 + i])) != name[i]) return false;
    const size_t after = at + 1 + n;
    return after == body.size() || body[after] == '>' || body[after] == '/' ||
           std::isspace(static_cast<unsigned char>(body[after]));
}

std::string Seconds(int ms)
{
    if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
    return std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100) + " s";
}

} // namespace

std::string WorkReason::Words(const WorkResult& result, int timeoutMs)
{
    switch (result.Outcome) {
    case Outcome::Ok: return {};
    case Outcome::Cancelled: return CancelledText;
    case Outcome::Invalid: return HostNotFound;
    case Outcome::NotAccepted:
    case Outcome::Failed:
    case Outcome::None: // a worker never ends with these two
    case Outcome::Unknown: break;
    }
    if (!result.Reason.empty()) {
        switch (result.ErrorKind) {
        case NetError::TimedOut:
        case NetError::LookupTimedOut: return timeoutMs > 0 ? "no answer in " + Seconds(timeoutMs) : NoAnswer;
        case NetError::LookupFailed:
        case NetError::NoAddress: return HostNotFound;
        case NetError::ConnectFailed: return Refused;
        case NetError::CutShort: return CutShort;
        case NetError::HandshakeFailed: return SecureFailed;
        case NetError::CertificateRefused: return Certificate;
        case NetError::ProxyRefused: return ProxyRefused;
        case NetError::BodyTooLarge:
        case NetError::HeadTooLarge:
        case NetError::LineTooLong: return TooLarge;
        case NetError::AddressTooLong: return AddressTooLong;
        case NetError::LookupCanceled:
        case NetError::Canceled: return CancelledText;
        case NetError::SocketError:
            if (result.SocketCode == 10054) return Reset;
            if (result.SocketCode == 10061) return Refused;
            if (result.SocketCode == 10060) return NoAnswer;
            break;
        case NetError::Other: break;
        }
        if (result.Reason == UrlErrors::Secure) return HttpsRefused;
        return result.Reason;
    }
    if (result.ReplyCode != 0 && result.ReplyCode != 200) {
        const std::string phrase = StatusPhrase(result.ReplyText);
        return "server answered " + std::to_string(result.ReplyCode) + (phrase.empty() ? "" : " " + phrase);
    }
    if (result.Outcome == Outcome::NotAccepted) {
        std::string said = AnswerText(result.Body);
        return said.empty() ? NotTaken : said;
    }
    return NoReply;
}

std::string WorkReason::Detail(const WorkResult& result)
{
    return result.Reason;
}

std::string WorkReason::AnswerText(const std::string& body)
{
    std::string text;
    bool blank = false;
    for (size_t at = 0; at < body.size() && text.size() < AnswerLength;) {
        const char c = body[at];
        if (c == '<') {
            // A script's or a style's content is no text the site meant to be read.
            const char* skipTo = StartsElement(body, at, "script")  ? "</script"
                                 : StartsElement(body, at, "style") ? "</style"
                                                                    : nullptr;
            if (skipTo) {
                auto close = std::search(body.begin() + static_cast<std::ptrdiff_t>(at), body.end(), skipTo,
                                         skipTo + std::strlen(skipTo), [](char a, char b) {
                                             return std::tolower(static_cast<unsigned char>(a)) == b;
                                         });
                at = static_cast<size_t>(close - body.begin());
            }
            const size_t end = body.find('>', at);
            at = end == std::string::npos ? body.size() : end + 1;
            blank = true; // a tag parts the words on either side
            continue;
        }
        // A text-direction override would turn the tip around it.
        if (DirectionOverride(body, at)) {
            at += 3;
            continue;
        }
        ++at;
        if (std::isspace(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            blank = true;
            continue;
        }
        if (blank && !text.empty()) text += ' ';
        blank = false;
        text += c;
    }
    if (text.size() > AnswerLength) text.resize(AnswerLength);
    // A multi-byte character the limit cut into is dropped whole.
    size_t keep = text.size();
    size_t lead = keep;
    while (lead > 0 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) --lead;
    if (lead > 0) {
        const unsigned char first = static_cast<unsigned char>(text[lead - 1]);
        const size_t need = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
        if (need > 1 && keep - (lead - 1) < need) keep = lead - 1;
    }
    text.resize(keep);
    return text;
}

Phrase WorkReason::Tip(const std::string& product, Outcome outcome, int httpStatus, const std::string& why)
{
    const bool cancelled = outcome == Outcome::None || outcome == Outcome::Cancelled;
    const std::string word = cancelled ? CancelledText : StatusWords::Word(outcome);
    Phrase first = cancelled ? Phrase("%1: Cancelled", {Phrase::Text(product)}) : Phrase::Text(product + ": " + word);
    std::vector<Phrase> lines{std::move(first)};
    if (httpStatus != 0) lines.push_back(Phrase::Text("HTTP " + std::to_string(httpStatus)));
    if (!why.empty() && why != word) lines.push_back(ReasonWords::Read(why, outcome == Outcome::NotAccepted));
    return Phrase::Lines(std::move(lines));
}
