#include "storage/handoff.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <limits>

#include "storage/template_file.h"
#include "util/ansi_codepage.h"

namespace quorvel {

namespace {

// The file holds some twenty short lines. Anything far larger is not one, and reading it whole
// (again for every reader) would stall the start-up.
constexpr qint64 kMaxHandoffBytes = 1024 * 1024;

// The line at index, or nothing when the file or the line is missing.
std::optional<QString> HandoffLine(const QString& path, qsizetype index) {
    const std::optional<QStringList> lines = ReadHandoffLines(path);
    if (!lines || index < 0 || index >= lines->size()) {
        return std::nullopt;
    }
    return lines->at(index);
}

std::int32_t ReadInteger(const QString& path, qsizetype line, std::int32_t fallback) {
    const std::optional<QString> text = HandoffLine(path, line);
    return text ? HandoffInteger(*text, fallback) : fallback;
}

QString Decode(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        return QString::fromUtf8(bytes.mid(3));
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const auto encoding =
            bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
        QStringDecoder decoder(encoding);
        return decoder(bytes.mid(2));
    }
    return AnsiToUnicode(bytes);
}

} // namespace

QString GetHandoffFileName() {
    return StreviaDataFolder() + QStringLiteral("Quorvel.dat");
}

std::optional<QStringList> ReadHandoffLines(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxHandoffBytes) {
        return std::nullopt;
    }
    const QString text = Decode(file.readAll());
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n') {
            continue;
        }
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < text.size()) {
        lines.append(text.mid(start));
    }
    return lines;
}

std::int32_t HandoffInteger(const QString& text, std::int32_t fallback) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return fallback;
    }
    qsizetype i = 0;
    if (trimmed.at(0) == u'+' || trimmed.at(0) == u'-') {
        i = 1;
    }
    if (i == trimmed.size()) {
        return fallback;
    }
    for (qsizetype k = i; k < trimmed.size(); ++k) {
        if (trimmed.at(k) < u'0' || trimmed.at(k) > u'9') {
            return fallback;
        }
    }
    bool ok = false;
    const qlonglong value = trimmed.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return fallback;
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t ReadIndexProgram(const QString& path) {
    return ReadInteger(path, 0, 1);
}
std::int32_t ReadButtonIndex(const QString& path) {
    return ReadInteger(path, 1, 1);
}
std::int32_t ReadQuantPreview(const QString& path) {
    return ReadInteger(path, 2, 4);
}
std::int32_t ReadVideoFormat(const QString& path) {
    return ReadInteger(path, 3, 0);
}

bool ReadInputIsDevice(const QString& path, int input) {
    return ReadInteger(path, 3 + input, 0) == 1;
}

std::int32_t ReadInputFormat(const QString& path, int input) {
    return ReadInteger(path, 11 + input, 0);
}

DefIndexAndCaption ReadDefIndexAndCaption(const QString& path) {
    DefIndexAndCaption result;
    const std::optional<QStringList> lines = ReadHandoffLines(path);
    if (!lines) {
        return result;
    }
    const qsizetype count = lines->size();
    if (count >= 1) {
        result.defIndex = HandoffInteger(lines->at(count - 1), 1);
    }
    result.caption = count >= 2 ? QStringLiteral("Quorvel - ") + lines->at(count - 2)
                                : QStringLiteral("Quorvel");
    return result;
}

int ClampInputCount(int count) {
    return std::clamp(count, 0, kMaxInputs);
}
int ClampSlot(int slot) {
    return std::clamp(slot, 0, kSlotCount);
}

} // namespace quorvel
