#pragma once
// A plain INI file: "[Section]" headers and "name=value" lines, kept in the order of the file.
// Values are taken exactly as written between the blanks around them: no quotes are removed and
// no escapes are read, so a Windows path stays C:\media\. Lines this class does not change (other
// sections, unknown keys, comments, blank lines) are written back byte for byte.
//
// Names of sections and keys compare without case, as Windows profile files do; where a section
// or a key appears twice, the first one counts. The text is UTF-8; a line that is not valid UTF-8
// is read in the ANSI code page (files written on Windows) and kept as it was.
//
// Reading one section of a file (SettingsFilePath is in save_desktop.h):
//   const QList<IniEntry> inputs =
//       IniFile::ReadSection(SettingsFilePath(TtoStorePlace::toUserSettingsFolder, {}), "Inputs");

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>
#include <vector>

namespace quorvel {

// A file that could not be read or written. what() (UTF-8) and message() name the file and the
// reason.
class IniFileError : public std::runtime_error {
public:
    explicit IniFileError(const QString& message);
    QString message() const { return m_sMessage; }

private:
    QString m_sMessage;
};

struct IniEntry {
    QString name;
    QString value;
    friend bool operator==(const IniEntry&, const IniEntry&) = default;
};

class IniFile {
public:
    // The line break of a new file; a loaded file keeps its own.
#ifdef _WIN32
    static constexpr char kNativeLineBreak[] = "\r\n";
#else
    static constexpr char kNativeLineBreak[] = "\n";
#endif

    IniFile() = default;
    // Names the file; nothing is read until Load.
    explicit IniFile(QString path);

    const QString& Path() const {
        return m_sPath;
    }

    // Reads the file. A file that does not exist is an empty document. Throws IniFileError when the
    // file exists but cannot be read; the document is then empty.
    void Load();
    // Writes the document so that a reader sees the old file or the new one, never a part: the
    // bytes go to a temporary file in the same folder, which then replaces the file in one step (a
    // link is written through to its target). Throws IniFileError and leaves the file as it was
    // when any step fails.
    void Save() const;

    // The document from or as the bytes of a file.
    void Parse(const QByteArray& bytes);
    QByteArray Serialize() const;

    QStringList Sections() const;
    bool HasSection(const QString& section) const;
    // The entries of a section in file order (the first section of that name).
    QList<IniEntry> SectionEntries(const QString& section) const;
    bool Contains(const QString& section, const QString& name) const;
    std::optional<QString> Value(const QString& section, const QString& name) const;

    // Replaces the value of an existing key in place; a new key goes after the last entry of its
    // section, a new section at the end of the file. Throws std::invalid_argument for a name that
    // the file could not hold (empty, with "=", a line break, or starting with "[", ";" or "#") or
    // a value with a line break.
    void SetValue(const QString& section, const QString& name, const QString& value);
    // Removes the key; false when it was not there.
    bool Remove(const QString& section, const QString& name);

    // The entries of one section of the file at path; empty when the file or the section is
    // missing or cannot be read.
    static QList<IniEntry> ReadSection(const QString& path, const QString& section);

private:
    enum class LineKind { Other, Section, Entry };
    struct Line {
        QByteArray raw; // the bytes of the line, without its terminator
        LineKind kind = LineKind::Other;
        QString name;  // section name or key, blanks removed
        QString value; // entry value, blanks removed
    };

    // Index of the section header line, or -1.
    int FindSection(const QString& section) const;
    // One past the last line of the section that starts at header.
    int SectionEnd(int header) const;
    int FindEntry(int header, const QString& name) const;

    QString m_sPath;
    std::vector<Line> m_oLines;
    bool m_bUtf8Bom = false;
    QByteArray m_sLineBreak = kNativeLineBreak;
};

} // namespace quorvel
