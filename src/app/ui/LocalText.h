#pragma once

#include <QString>

#include <string>

// Text crosses between the core (bytes in the locale's 8-bit encoding) and the windows
// (QString) only here.
class LocalText {
public:
    static QString ToQ(const std::string& bytes)
    {
        return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    static std::string ToBytes(const QString& text)
    {
        QByteArray b = text.toLocal8Bit();
        return std::string(b.constData(), static_cast<size_t>(b.size()));
    }
};
