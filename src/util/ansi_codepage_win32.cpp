// The ANSI code page conversions on Windows, through the Qt-free ansi_codepage_core_win32.

#include "util/ansi_codepage.h"
#include "util/ansi_codepage_core_win32.h"

namespace quorvel {

QByteArray UnicodeToAnsi(const QString& text) {
    const std::string bytes = win32::WideToAnsi(text.toStdWString(), win32::ShortStringCodePage());
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString AnsiToUnicode(const QByteArray& bytes) {
    return QString::fromStdWString(win32::AnsiToWide(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
        win32::ShortStringCodePage()));
}

} // namespace quorvel
