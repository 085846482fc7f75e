#pragma once

#include <QByteArray>
#include <QString>

#include <ostream>

// GoogleTest shows a QByteArray or QString that differs as text, control characters escaped, not as a list of
// its characters cut off after 32.
inline void PrintTo(const QByteArray& bytes, std::ostream* stream)
{
    *stream << '"';
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            *stream << '\\' << c;
        else if (byte < 0x20 || byte >= 0x7F)
            *stream << "\\x"
                    << "0123456789abcdef"[byte >> 4] << "0123456789abcdef"[byte & 15];
        else
            *stream << c;
    }
    *stream << '"';
}

inline void PrintTo(const QString& text, std::ostream* stream)
{
    PrintTo(text.toUtf8(), stream);
}
