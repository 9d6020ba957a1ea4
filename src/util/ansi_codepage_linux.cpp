#include "util/ansi_codepage.h"

#include <array>

namespace quorvel {

namespace {

// Windows-1252: bytes 0x80 to 0x9F differ from Latin-1; 0 marks the five bytes it leaves undefined,
// which map to the C1 control of the same number as Windows does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t ByteToChar(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F && kHighControls[byte - 0x80] != 0) {
        return kHighControls[byte - 0x80];
    }
    return byte;
}

char CharToByte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        const char16_t mapped = kHighControls[i] != 0 ? kHighControls[i] : char16_t(0x80 + i);
        if (mapped == c) {
            return static_cast<char>(0x80 + i);
        }
    }
    return kAnsiReplacement;
}

} // namespace

QByteArray UnicodeToAnsi(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i; // one character, one replacement byte
            out.append(kAnsiReplacement);
            continue;
        }
        out.append(CharToByte(c.unicode()));
    }
    return out;
}

QString AnsiToUnicode(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (const char b : bytes) {
        out.append(QChar(ByteToChar(static_cast<unsigned char>(b))));
    }
    return out;
}

} // namespace quorvel
