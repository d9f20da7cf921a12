#pragma once

#include <QString>

#include <string>
#include <string_view>

// Text crosses between the core (bytes in the locale's 8-bit encoding) and the windows
// (QString) only here.
class LocalText {
public:
    static QString ToQ(std::string_view bytes)
    {
        return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    static std::string ToBytes(const QString& text)
    {
        QByteArray b = text.toLocal8Bit();
        return std::string(b.constData(), static_cast<size_t>(b.size()));
    }
    // The bytes `text` stands for when it was shown from `original`: `original` itself
    // while the text is unchanged (so bytes of another code page survive), else the text
    // in the locale's encoding.
    static std::string ToBytes(const QString& text, const std::string& original)
    {
        return text == ToQ(original) ? original : ToBytes(text);
    }
};
