#pragma once
// A plain INI settings file: one section of name=value lines, no escaping, other sections and
// lines kept untouched when it is written.

#include <QString>
#include <QStringList>

#include <vector>

#include "designer/settings_port.h"

namespace quorvel {

class IniSettings : public SettingsPort {
public:
    IniSettings(QString filePath, QString section);

    qint32 AdicionarVariavel(const QString& name, qint32* var, qint32 def) override;
    QString AdicionarVariavel(const QString& name, QString* var, const QString& def) override;
    void ExportaControles() override;

    const QString& FilePath() const { return m_filePath; }

private:
    // The value stored under name in the section, if any.
    bool Find(const QString& name, QString* value) const;

    QString m_filePath;
    QString m_section;
    QStringList m_lines; // the file as read at construction
    std::vector<std::pair<QString, qint32*>> m_integers;
    std::vector<std::pair<QString, QString*>> m_strings;
};

} // namespace quorvel
