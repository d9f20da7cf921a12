#include "net/TMimeCoder.h"

#include <istream>
#include <sstream>
#include <stdexcept>

const char TMimeCoder::MimeTable[65] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char TMimeCoder::UUTABLE[65] = "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_";

void TMimeCoder::Encode()
{
    if (!InputStream || !OutputStream) throw std::logic_error("TMimeCoder: input and output streams must be set");
    if (OnBeginEncode) OnBeginEncode(this);

    std::istream& in = *InputStream;
    std::iostream& out = *OutputStream;
    in.clear();
    in.seekg(0);
    table_ = Method == uuCode ? UUTABLE : MimeTable;

    char raw[45];
    for (;;) {
        in.read(raw, sizeof raw);
        const auto count = static_cast<size_t>(in.gcount());
        if (count == 0) break;
        const auto* b = reinterpret_cast<const unsigned char*>(raw);
        std::string line;
        if (Method == uuCode) line += table_[count];
        size_t i = 0;
        for (; i + 3 <= count; i += 3) {
            line += table_[b[i] >> 2];
            line += table_[((b[i] & 0x03) << 4) | (b[i + 1] >> 4)];
            line += table_[((b[i + 1] & 0x0F) << 2) | (b[i + 2] >> 6)];
            line += table_[b[i + 2] & 0x3F];
        }
        if (count - i == 1) {
            line += table_[b[i] >> 2];
            line += table_[(b[i] & 0x03) << 4];
            if (Method == uuMime) line += "==";
        } else if (count - i == 2) {
            line += table_[b[i] >> 2];
            line += table_[((b[i] & 0x03) << 4) | (b[i + 1] >> 4)];
            line += table_[(b[i + 1] & 0x0F) << 2];
            if (Method == uuMime) line += '=';
        }
        line += "\r\n";
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
        if (count < sizeof raw) break;
    }
    if (Method == uuCode) {
        out.put(table_[0]);
        out.write("\r\n", 2);
    }
    out.flush();
    out.seekg(0);
    out.seekp(0);
    if (OnEndEncode) OnEndEncode(this);
}

std::string TMimeCoder::EncodeString(const std::string& bytes, UUMethods method)
{
    std::istringstream in(bytes);
    std::stringstream out;
    TMimeCoder coder;
    coder.Method = method;
    coder.InputStream = &in;
    coder.OutputStream = &out;
    coder.Encode();
    return out.str();
}
