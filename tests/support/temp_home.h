#pragma once
// Points the XDG data home (and HOME) at a fresh temporary folder for as long as it lives, so that
// tests never touch the real Strevia folder of the machine.

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>

namespace quorvel::test {

class TempHome {
public:
    TempHome() {
        m_oldData = Save("XDG_DATA_HOME");
        m_oldHome = Save("HOME");
        m_oldConfig = Save("XDG_CONFIG_HOME");
        ::setenv("XDG_DATA_HOME",
                 QDir(m_dir.path()).filePath(QStringLiteral("data")).toUtf8().constData(), 1);
        ::setenv("XDG_CONFIG_HOME",
                 QDir(m_dir.path()).filePath(QStringLiteral("config")).toUtf8().constData(), 1);
        ::setenv("HOME", m_dir.path().toUtf8().constData(), 1);
        QDir(m_dir.path()).mkpath(QStringLiteral("data"));
    }
    ~TempHome() {
        Restore("XDG_DATA_HOME", m_oldData);
        Restore("HOME", m_oldHome);
        Restore("XDG_CONFIG_HOME", m_oldConfig);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString Path() const { return m_dir.path(); }
    QString DataHome() const { return QDir(m_dir.path()).filePath(QStringLiteral("data")); }
    QString Strevia() const { return DataHome() + QStringLiteral("/Strevia/"); }

private:
    static std::pair<bool, std::string> Save(const char* name) {
        const char* value = std::getenv(name);
        return {value != nullptr, value != nullptr ? value : ""};
    }
    static void Restore(const char* name, const std::pair<bool, std::string>& old) {
        if (old.first) {
            ::setenv(name, old.second.c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }

    QTemporaryDir m_dir;
    std::pair<bool, std::string> m_oldData;
    std::pair<bool, std::string> m_oldHome;
    std::pair<bool, std::string> m_oldConfig;
};

} // namespace quorvel::test
