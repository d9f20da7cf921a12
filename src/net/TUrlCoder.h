#pragma once

#include <functional>
#include <string>

// Form encoding of text, as the HTTP client sends its POST data: ASCII letters and digits
// stay, a blank becomes "+", every other byte "%" and two upper-case hexadecimal digits.
// Neither direction throws: a failure is reported through OnError and the input comes back
// unchanged.
class TUrlCoder {
public:
    // Sender, Operation ("Error during encode" / "Error during decode"), ErrMsg.
    using TOnErrorEvent =
        std::function<void(TUrlCoder* Sender, const std::string& Operation, const std::string& ErrMsg)>;

    std::string InputString;
    TOnErrorEvent OnError;

    std::string URLEncode(const std::string& text);
    // "+" becomes a blank, "%" with two hexadecimal digits (either case) their byte. A "%"
    // without two hexadecimal digits after it fails the whole conversion.
    std::string URLDecode(const std::string& text);

    std::string GetEncodeString() { return URLEncode(InputString); }
    std::string GetDecodeString() { return URLDecode(InputString); }

private:
    void ReportError(const std::string& operation, const std::string& message);
};
