#include "net/TUrlCoder.h"

#include <exception>
#include <stdexcept>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsAsciiAlnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::string TUrlCoder::URLEncode(const std::string& text)
{
    static const char digits[] = "0123456789ABCDEF";
    try {
        std::string result;
        result.reserve(text.size() * 3);
        for (const char ch : text) {
            const auto c = static_cast<unsigned char>(ch);
            if (IsAsciiAlnum(c)) {
                result += ch;
            } else if (c == ' ') {
                result += '+';
            } else {
                result += '%';
                result += digits[c >> 4];
                result += digits[c & 0x0F];
            }
        }
        return result;
    } catch (const std::exception& e) {
        ReportError("Error during encode", e.what());
        return text;
    }
}

std::string TUrlCoder::URLDecode(const std::string& text)
{
    try {
        std::string result;
        result.reserve(text.size());
        size_t i = 0;
        while (i < text.size()) {
            const char ch = text[i];
            if (ch == '+') {
                result += ' ';
                ++i;
            } else if (ch == '%') {
                const std::string hex = text.substr(i + 1, 2);
                const int hi = hex.size() == 2 ? HexValue(hex[0]) : -1;
                const int lo = hex.size() == 2 ? HexValue(hex[1]) : -1;
                if (hi < 0 || lo < 0) throw std::invalid_argument("'" + hex + "' is not a valid hexadecimal value");
                result += static_cast<char>(hi * 16 + lo);
                i += 3;
            } else {
                result += ch;
                ++i;
            }
        }
        return result;
    } catch (const std::exception& e) {
        ReportError("Error during decode", e.what());
        return text;
    }
}

void TUrlCoder::ReportError(const std::string& operation, const std::string& message)
{
    if (!OnError) return;
    try {
        OnError(this, operation, message);
    } catch (...) {
        // The coder never raises; a handler's own failure stays with it.
    }
}
