#include "storage/ini_file.h"

#include "util/ansi_codepage.h"
#include "util/file_sync.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

namespace quorvel {

namespace {

// A settings file is a few kilobytes; anything far larger is not one and is not read whole.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

QString DecodeLine(const QByteArray& raw) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(raw);
    if (utf8.hasError()) {
        text = AnsiToUnicode(raw);
    }
    return text;
}

bool HasLineBreak(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

bool StartsComment(const QString& trimmed) {
    return trimmed.startsWith(u';') || trimmed.startsWith(u'#');
}

} // namespace

IniFileError::IniFileError(const QString& message)
    : std::runtime_error(message.toStdString())
    , m_sMessage(message) {}

IniFile::IniFile(QString path)
    : m_sPath(std::move(path)) {}

void IniFile::Load() {
    Parse({});
    QFile file(m_sPath);
    if (!file.exists()) {
        return;
    }
    if (QFileInfo(m_sPath).isDir()) {
        throw IniFileError(m_sPath + QStringLiteral(": is a folder, not a file"));
    }
    // A named pipe would block the window thread until something writes to it, and a device such
    // as /dev/zero never ends.
    if (!QFileInfo(m_sPath).isFile()) {
        throw IniFileError(m_sPath + QStringLiteral(": is not a regular file"));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw IniFileError(m_sPath + QStringLiteral(": ") + file.errorString());
    }
    if (file.size() > kMaxFileBytes) {
        throw IniFileError(m_sPath + QStringLiteral(": too large for a settings file"));
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw IniFileError(m_sPath + QStringLiteral(": ") + file.errorString());
    }
    Parse(bytes);
}

void IniFile::Save() const {
    // QSaveFile writes a link's target and keeps the file's permissions. Unbuffered, so that a
    // write that fails (disk full) fails here: QSaveFile does not look at a failure of its final
    // buffer flush and would put a cut-short file in place of the settings.
    QSaveFile file(m_sPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw IniFileError(m_sPath + QStringLiteral(": ") + file.errorString());
    }
    const QByteArray bytes = Serialize();
    QString reason;
    if (file.write(bytes) != bytes.size()) {
        reason = file.errorString();
    } else {
        reason = SyncToDisk(file);
    }
    if (!reason.isEmpty()) {
        file.cancelWriting();
        throw IniFileError(m_sPath + QStringLiteral(": ") + reason);
    }
    if (!file.commit()) {
        throw IniFileError(m_sPath + QStringLiteral(": ") + file.errorString());
    }
}

void IniFile::Parse(const QByteArray& bytes) {
    m_oLines.clear();
    m_bUtf8Bom = bytes.startsWith(kUtf8Bom);
    m_sLineBreak = kNativeLineBreak;
    QByteArrayView rest(bytes);
    if (m_bUtf8Bom) {
        rest = rest.sliced(kUtf8Bom.size());
    }
    bool lineBreakSeen = false;
    while (!rest.isEmpty()) {
        const qsizetype end = rest.indexOf('\n');
        QByteArrayView raw = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        const bool crlf = end >= 0 && raw.endsWith('\r');
        if (crlf) {
            raw.chop(1);
        }
        if (end >= 0 && !lineBreakSeen) {
            m_sLineBreak = crlf ? "\r\n" : "\n";
            lineBreakSeen = true;
        }

        Line line;
        line.raw = raw.toByteArray();
        const QString trimmed = DecodeLine(line.raw).trimmed();
        if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            if (close > 0) {
                line.kind = LineKind::Section;
                line.name = trimmed.mid(1, close - 1).trimmed();
            }
        } else if (!StartsComment(trimmed)) {
            const qsizetype equals = trimmed.indexOf(u'=');
            if (equals > 0) {
                line.kind = LineKind::Entry;
                line.name = trimmed.first(equals).trimmed();
                line.value = trimmed.sliced(equals + 1).trimmed();
            }
        }
        if (line.kind == LineKind::Entry && line.name.isEmpty()) {
            line.kind = LineKind::Other;
        }
        m_oLines.push_back(std::move(line));
    }
}

QByteArray IniFile::Serialize() const {
    QByteArray out;
    if (m_bUtf8Bom) {
        out += kUtf8Bom;
    }
    for (const Line& line : m_oLines) {
        out += line.raw;
        out += m_sLineBreak;
    }
    return out;
}

QStringList IniFile::Sections() const {
    QStringList sections;
    for (const Line& line : m_oLines) {
        if (line.kind == LineKind::Section && !sections.contains(line.name, Qt::CaseInsensitive)) {
            sections.append(line.name);
        }
    }
    return sections;
}

bool IniFile::HasSection(const QString& section) const {
    return FindSection(section) >= 0;
}

QList<IniEntry> IniFile::SectionEntries(const QString& section) const {
    QList<IniEntry> entries;
    const int header = FindSection(section);
    if (header < 0) {
        return entries;
    }
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const Line& line = m_oLines[static_cast<std::size_t>(i)];
        if (line.kind == LineKind::Entry) {
            entries.append({line.name, line.value});
        }
    }
    return entries;
}

bool IniFile::Contains(const QString& section, const QString& name) const {
    const int header = FindSection(section);
    return header >= 0 && FindEntry(header, name) >= 0;
}

std::optional<QString> IniFile::Value(const QString& section, const QString& name) const {
    const int header = FindSection(section);
    if (header < 0) {
        return std::nullopt;
    }
    const int entry = FindEntry(header, name);
    if (entry < 0) {
        return std::nullopt;
    }
    return m_oLines[static_cast<std::size_t>(entry)].value;
}

void IniFile::SetValue(const QString& section, const QString& name, const QString& value) {
    const QString trimmedName = name.trimmed();
    if (trimmedName.isEmpty() || name.contains(u'=') || HasLineBreak(name) ||
        trimmedName.startsWith(u'[') || StartsComment(trimmedName)) {
        throw std::invalid_argument("an INI key cannot be named \"" + name.toStdString() + "\"");
    }
    if (HasLineBreak(value)) {
        throw std::invalid_argument("the value of the INI key \"" + name.toStdString() +
                                    "\" holds a line break");
    }
    if (section.trimmed().isEmpty() || section.contains(u']') || HasLineBreak(section)) {
        throw std::invalid_argument("an INI section cannot be named \"" + section.toStdString() +
                                    "\"");
    }

    Line entry;
    entry.kind = LineKind::Entry;
    entry.name = trimmedName;
    entry.value = value.trimmed();
    entry.raw = (trimmedName + u'=' + value).toUtf8();

    int header = FindSection(section);
    if (header < 0) {
        if (!m_oLines.empty() && !m_oLines.back().raw.trimmed().isEmpty()) {
            m_oLines.push_back(Line{});
        }
        Line headerLine;
        headerLine.kind = LineKind::Section;
        headerLine.name = section.trimmed();
        headerLine.raw = (u'[' + headerLine.name + u']').toUtf8();
        m_oLines.push_back(std::move(headerLine));
        m_oLines.push_back(std::move(entry));
        return;
    }
    const int existing = FindEntry(header, trimmedName);
    if (existing >= 0) {
        m_oLines[static_cast<std::size_t>(existing)] = std::move(entry);
        return;
    }
    int insertAt = header + 1;
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        if (m_oLines[static_cast<std::size_t>(i)].kind == LineKind::Entry) {
            insertAt = i + 1;
        }
    }
    m_oLines.insert(m_oLines.begin() + insertAt, std::move(entry));
}

bool IniFile::Remove(const QString& section, const QString& name) {
    const int header = FindSection(section);
    if (header < 0) {
        return false;
    }
    const int entry = FindEntry(header, name.trimmed());
    if (entry < 0) {
        return false;
    }
    m_oLines.erase(m_oLines.begin() + entry);
    return true;
}

QList<IniEntry> IniFile::ReadSection(const QString& path, const QString& section) {
    IniFile file(path);
    try {
        file.Load();
    } catch (const IniFileError&) {
        return {};
    }
    return file.SectionEntries(section);
}

int IniFile::FindSection(const QString& section) const {
    const QString wanted = section.trimmed();
    for (std::size_t i = 0; i < m_oLines.size(); ++i) {
        const Line& line = m_oLines[i];
        if (line.kind == LineKind::Section && line.name.compare(wanted, Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int IniFile::SectionEnd(int header) const {
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < m_oLines.size(); ++i) {
        if (m_oLines[i].kind == LineKind::Section) {
            return static_cast<int>(i);
        }
    }
    return static_cast<int>(m_oLines.size());
}

int IniFile::FindEntry(int header, const QString& name) const {
    const QString wanted = name.trimmed();
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const Line& line = m_oLines[static_cast<std::size_t>(i)];
        if (line.kind == LineKind::Entry && line.name.compare(wanted, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

} // namespace quorvel
