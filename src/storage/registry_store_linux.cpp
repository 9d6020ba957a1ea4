// The registry on Linux: the key becomes a QSettings file in native format, the per-user one
// (XDG config home) for HKEY_CURRENT_USER and the system-wide one (XDG config dirs) for
// HKEY_LOCAL_MACHINE. "\SOFTWARE\Marivel\SaveDesktop" is the file Marivel/SaveDesktop.conf; deeper
// levels are groups in it.

#include "storage/registry_store.h"

#include <QLocale>
#include <QSettings>
#include <QStringList>

#include <array>

namespace quorvel {

namespace {

struct SettingsLocation {
    QString organization;
    QString application;
    QString group;
};

SettingsLocation LocationOf(const std::u16string& regDiretorio) {
    QStringList levels;
    for (const QString& level :
         QString::fromStdU16String(ResolveRegistryKeyPath(regDiretorio)).split(u'\\')) {
        // A level may not climb out of the settings folder.
        if (!level.isEmpty() && level != u"." && level != u"..") {
            levels.append(level);
        }
    }
    if (levels.size() > 1 && levels.front().compare(u"SOFTWARE", Qt::CaseInsensitive) == 0) {
        levels.removeFirst();
    }
    SettingsLocation location;
    location.organization = levels.isEmpty() ? QStringLiteral("SaveDesktop") : levels.takeFirst();
    if (!levels.isEmpty()) {
        location.application = levels.takeFirst();
    }
    location.group = levels.join(u'/');
    return location;
}

class SettingsRegistryStore final : public RegistryStore {
public:
    SettingsRegistryStore() { SetKeyPath(kRegistryBaseKey); }

    void SetKeyPath(const std::u16string& regDiretorio) override {
        m_sRegDiretorio = regDiretorio;
        m_oLocation = LocationOf(regDiretorio);
        for (auto& settings : m_oSettings) {
            settings.reset();
        }
    }

    void SetRoots(RegistryRoot internal, RegistryRoot backup) override {
        m_eInternal = internal;
        m_eBackup = backup;
    }

    bool Exists(const std::u16string& name) override {
        const QString key = Key(name);
        for (const RegistryRoot root : {m_eInternal, m_eBackup}) {
            if (Settings(root).contains(key)) {
                m_eFound = root;
                return true;
            }
        }
        m_eFound = m_eInternal;
        return false;
    }

    void WriteInteger(const std::u16string& name, std::int32_t value) override {
        Write(name, value);
    }
    void WriteDouble(const std::u16string& name, double value) override {
        // Text with every digit the double needs, so that it reads back bit for bit.
        Write(name, QString::number(value, 'g', QLocale::FloatingPointShortest));
    }
    void WriteString(const std::u16string& name, const std::u16string& value) override {
        Write(name, QString::fromStdU16String(value));
    }
    void WriteBoolean(const std::u16string& name, bool value) override {
        Write(name, value ? 1 : 0);
    }

    std::int32_t ReadInteger(const std::u16string& name) override {
        bool ok = false;
        const int value = Read(name).toString().trimmed().toInt(&ok);
        return ok ? value : 0;
    }
    double ReadDouble(const std::u16string& name) override {
        bool ok = false;
        const double value = Read(name).toString().trimmed().toDouble(&ok);
        return ok ? value : 0.0;
    }
    std::u16string ReadString(const std::u16string& name) override {
        const QVariant value = Read(name);
        return value.typeId() == QMetaType::QString ? value.toString().toStdU16String()
                                                    : std::u16string();
    }
    bool ReadBoolean(const std::u16string& name) override { return ReadInteger(name) != 0; }

    void Flush() override {
        QSettings& settings = Settings(m_eInternal);
        settings.sync();
        if (settings.status() != QSettings::NoError) {
            throw RegistryStoreError(RegistryWriteErrorMessage(m_sRegDiretorio));
        }
    }

private:
    QSettings& Settings(RegistryRoot root) {
        auto& settings = m_oSettings[static_cast<std::size_t>(root)];
        if (!settings) {
            settings = std::make_unique<QSettings>(
                QSettings::NativeFormat,
                root == RegistryRoot::CurrentUser ? QSettings::UserScope : QSettings::SystemScope,
                m_oLocation.organization, m_oLocation.application);
            settings->setFallbacksEnabled(false);
        }
        return *settings;
    }

    QString Key(const std::u16string& name) const {
        const QString valueName = QString::fromStdU16String(name);
        return m_oLocation.group.isEmpty() ? valueName : m_oLocation.group + u'/' + valueName;
    }

    void Write(const std::u16string& name, const QVariant& value) {
        QSettings& settings = Settings(m_eInternal);
        if (!settings.isWritable()) {
            throw RegistryStoreError(RegistryWriteErrorMessage(m_sRegDiretorio));
        }
        settings.setValue(Key(name), value);
    }

    QVariant Read(const std::u16string& name) { return Settings(m_eFound).value(Key(name)); }

    std::u16string m_sRegDiretorio;
    SettingsLocation m_oLocation;
    RegistryRoot m_eInternal = RegistryRoot::CurrentUser;
    RegistryRoot m_eBackup = RegistryRoot::LocalMachine;
    RegistryRoot m_eFound = RegistryRoot::CurrentUser;
    std::array<std::unique_ptr<QSettings>, 2> m_oSettings;
};

} // namespace

std::unique_ptr<RegistryStore> CreatePlatformRegistryStore() {
    return std::make_unique<SettingsRegistryStore>();
}

} // namespace quorvel
