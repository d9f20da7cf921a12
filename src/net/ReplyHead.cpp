#include "net/ReplyHead.h"

#include <algorithm>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The first blank-separated word of a line, in upper case.
std::string FirstWordUpper(std::string_view line)
{
    std::string word(line.substr(0, line.find(' ')));
    for (char& c : word)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return word;
}

std::string_view WithoutLineEnd(std::string_view line)
{
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// The second blank-separated word of the status line as a number that fits 16 bits
// signed, otherwise 0.
int ReplyNumberOf(std::string_view statusLine)
{
    std::string_view rest = WithoutLineEnd(statusLine);
    const size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) return 0;
    rest.remove_prefix(blank + 1);
    const std::string_view word = rest.substr(0, rest.find(' '));
    if (word.empty() || word.size() > 5 || !std::all_of(word.begin(), word.end(), IsDigit)) return 0;
    int n = 0;
    for (const char c : word) n = n * 10 + (c - '0');
    return n <= 32767 ? n : 0;
}

// The value that starts at `from`: at most MaxValueLength bytes, without the line end or
// any other control byte.
std::string ValueAt(std::string_view line, std::size_t from)
{
    const std::string_view raw = line.substr(std::min(from, line.size()), ReplyHead::MaxValueLength);
    std::string value;
    value.reserve(raw.size());
    for (const char ch : raw) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 32 && c != 127) value += ch;
    }
    return value;
}

std::int64_t DigitsAt(std::string_view line, std::size_t from)
{
    std::int64_t length = 0;
    for (std::size_t i = from; i < line.size() && IsDigit(line[i]); ++i)
        length = length > (INT64_MAX - 9) / 10 ? INT64_MAX : length * 10 + (line[i] - '0');
    return length;
}

} // namespace

bool EndsReplyHead(std::string_view line)
{
    return line == "\n" || line == "\r\n";
}

ReplyHead ParseReplyHead(std::string_view text)
{
    ReplyHead head;
    std::size_t at = 0;
    bool statusLine = true;
    while (at < text.size()) {
        const std::size_t lf = text.find('\n', at);
        const std::size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
        const std::string_view line = text.substr(at, next - at);
        at = next;
        if (statusLine) {
            head.ReplyNumber = ReplyNumberOf(line);
            statusLine = false;
            continue;
        }
        const std::string name = FirstWordUpper(line);
        if (name == "SET-COOKIE:")
            head.Cookie = ValueAt(line, 12);
        else if (name == "LOCATION:")
            head.Location = ValueAt(line, 10);
        else if (name == "CONTENT-LENGTH:")
            head.ContentLength = DigitsAt(line, 16);
        if (EndsReplyHead(line)) {
            head.Complete = true;
            break;
        }
    }
    head.Length = at;
    return head;
}
