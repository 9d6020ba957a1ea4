#include "designer/ini_settings.h"

#include <QFile>
#include <QSaveFile>

#include <stdexcept>

#include "util/helpers.h"

namespace quorvel {

SettingsPort::~SettingsPort() = default;

namespace {

bool IsSectionHeader(const QString& line, QString* name) {
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(u'[') || !t.endsWith(u']')) {
        return false;
    }
    *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

QString KeyOf(const QString& line) {
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? QString() : line.left(eq).trimmed();
}

} // namespace

IniSettings::IniSettings(QString filePath, QString section)
    : m_filePath(std::move(filePath))
    , m_section(std::move(section)) {
    QFile file(m_filePath);
    if (file.open(QIODevice::ReadOnly)) {
        const QString text = QString::fromUtf8(file.readAll());
        m_lines = text.split(u'\n');
        for (QString& line : m_lines) {
            if (line.endsWith(u'\r')) {
                line.chop(1);
            }
        }
        if (!m_lines.isEmpty() && m_lines.last().isEmpty()) {
            m_lines.removeLast();
        }
    }
}

bool IniSettings::Find(const QString& name, QString* value) const {
    bool inSection = false;
    for (const QString& line : m_lines) {
        QString header;
        if (IsSectionHeader(line, &header)) {
            inSection = header.compare(m_section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (inSection && KeyOf(line).compare(name, Qt::CaseInsensitive) == 0) {
            *value = line.mid(line.indexOf(u'=') + 1);
            return true;
        }
    }
    return false;
}

qint32 IniSettings::AdicionarVariavel(const QString& name, qint32* var, qint32 def) {
    m_integers.emplace_back(name, var);
    QString text;
    if (!Find(name, &text)) {
        return def;
    }
    bool ok = false;
    const qint32 value = text.trimmed().toInt(&ok);
    return ok ? value : 0; // a stored value that is no number reads as 0, as the store does
}

QString IniSettings::AdicionarVariavel(const QString& name, QString* var, const QString& def) {
    m_strings.emplace_back(name, var);
    QString text;
    return Find(name, &text) ? text : def;
}

void IniSettings::ExportaControles() {
    std::vector<std::pair<QString, QString>> values;
    for (const auto& [name, var] : m_integers) {
        if (var != nullptr) {
            values.emplace_back(name, QString::number(*var));
        }
    }
    for (const auto& [name, var] : m_strings) {
        if (var != nullptr) {
            values.emplace_back(name, *var);
        }
    }

    // Replace the section's lines for these names in place; append the others to the section.
    QStringList lines = m_lines;
    qsizetype sectionEnd = -1;
    bool inSection = false;
    std::vector<bool> written(values.size(), false);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString header;
        if (IsSectionHeader(lines[i], &header)) {
            if (inSection) {
                sectionEnd = i;
            }
            inSection = header.compare(m_section, Qt::CaseInsensitive) == 0;
            if (inSection) {
                sectionEnd = lines.size();
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        const QString key = KeyOf(lines[i]);
        for (std::size_t v = 0; v < values.size(); ++v) {
            if (key.compare(values[v].first, Qt::CaseInsensitive) == 0) {
                lines[i] = values[v].first + u'=' + values[v].second;
                written[v] = true;
            }
        }
    }
    if (sectionEnd < 0) {
        lines.append(u'[' + m_section + u']');
        sectionEnd = lines.size();
    }
    // Insert after the section's last non-empty line so a blank separator stays after it.
    while (sectionEnd > 0 && lines[sectionEnd - 1].trimmed().isEmpty()) {
        --sectionEnd;
    }
    for (std::size_t v = 0; v < values.size(); ++v) {
        if (!written[v]) {
            lines.insert(sectionEnd++, values[v].first + u'=' + values[v].second);
        }
    }

    QSaveFile file(m_filePath);
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw std::runtime_error(QStringLiteral("As configurações não puderam ser salvas em %1: %2")
                                     .arg(m_filePath, file.errorString())
                                     .toStdString());
    }
    m_lines = lines;
}

std::unique_ptr<SettingsPort> MakeDesignerSettings() {
    const QString folder = GetUserDataFolder(QString());
    return std::make_unique<IniSettings>(folder + ExecutableBaseName() + QStringLiteral(".sav"),
                                         QStringLiteral("Quorvel"));
}

} // namespace quorvel
