#include "net/TextWords.h"

std::string NthWord(const std::string& text, char delim, int n)
{
    if (n < 1) return {};
    size_t start = 0;
    for (int field = 1; field < n; ++field) {
        const size_t next = text.find(delim, start);
        if (next == std::string::npos) return {};
        start = next + 1;
    }
    if (start > text.size()) return {};
    const size_t end = text.find(delim, start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

size_t NthPos(const std::string& text, char delim, int n)
{
    int seen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != delim) continue;
        if (++seen == n) return i + 1 == text.size() ? text.size() + 1 : i + 1;
    }
    return text.size() + 1;
}

void StreamLn(std::ostream& out, const std::string& text)
{
    out << text << "\r\n";
}
