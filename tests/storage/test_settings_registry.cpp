// Registry mode on Linux: the per-user settings over the system-wide ones, writes that go to the
// internal root only, the message of a write that cannot be made, and the key a path names.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <limits>

#include "storage/registry_store.h"
#include "storage/save_desktop.h"
#include "support/temp_home.h"

using namespace quorvel;

namespace {

// Points the per-user settings at XDG_CONFIG_HOME in a temporary home and the system-wide ones at
// a folder beside it, so that no test reads or writes the machine's own settings.
class RegistryMode : public ::testing::Test {
protected:
    void SetUp() override {
        // QSettings reads XDG_CONFIG_HOME once per process; setPath makes each test's home count.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, UserFolder());
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, SystemFolder());
    }

    QString UserFolder() const { return qEnvironmentVariable("XDG_CONFIG_HOME"); }
    QString SystemFolder() const { return home.Path() + "/etc-xdg"; }

    // The file of the default key in a scope, read or written directly.
    QString ScopeFile(QSettings::Scope scope) const {
        return (scope == QSettings::UserScope ? UserFolder() : SystemFolder()) +
               "/Marivel/SaveDesktop.conf";
    }
    void Put(QSettings::Scope scope, const QString& key, const QVariant& value) const {
        QSettings settings(ScopeFile(scope), QSettings::IniFormat);
        settings.setValue(key, value);
    }
    QVariant Get(QSettings::Scope scope, const QString& key) const {
        return QSettings(ScopeFile(scope), QSettings::IniFormat).value(key);
    }

    test::TempHome home;
};

} // namespace

TEST_F(RegistryMode, ValueOnlySystemWideIsReadThereAndTheNextExportWritesItPerUser) {
    Put(QSettings::SystemScope, "DesignerPosWindowX", 55);
    Put(QSettings::SystemScope, "DesignerPosWindowY", 66);
    Put(QSettings::UserScope, "DesignerPosWindowY", 1);
    TSaveDesktop store; // registry mode, hkCurrentUser, the default key
    std::int32_t x = 0, y = 0;
    x = store.AdicionarVariavel("DesignerPosWindowX", &x, kNeverStored);
    y = store.AdicionarVariavel("DesignerPosWindowY", &y, kNeverStored);
    EXPECT_EQ(x, 55);
    EXPECT_EQ(y, 1) << "the per-user value comes first";
    store.ExportaControles();

    EXPECT_EQ(Get(QSettings::UserScope, "DesignerPosWindowX").toInt(), 55);
    EXPECT_EQ(Get(QSettings::SystemScope, "DesignerPosWindowY").toInt(), 66)
        << "an export wrote to the backup root";
    EXPECT_TRUE(QFileInfo::exists(UserFolder() + "/Marivel/SaveDesktop.conf"));
}

TEST_F(RegistryMode, LocalMachineRootReadsPerUserAsBackupAndReportsAWriteItCannotMake) {
    Put(QSettings::UserScope, "Fator", 2.5);
    // The system-wide folder lies below a plain file: it cannot be created, even by root.
    QFile blocker(home.Path() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                       blocker.fileName() + "/xdg");

    TSaveDesktop store;
    store.SetHKey(ThKey::hkLocalMachine);
    double factor = 0;
    EXPECT_EQ(store.AdicionarVariavel("Fator", &factor, 1.0), 2.5);

    try {
        store.ExportaControles();
        FAIL() << "a write that could not be made was reported as success";
    } catch (const SaveDesktopError& error) {
        EXPECT_EQ(error.message(), QString("SaveDesktop: Registro não pode ser salvo na pasta\n\r"
                                           "\\SOFTWARE\\Marivel\\SaveDesktop"));
    }
}

TEST_F(RegistryMode, EveryKindRoundTripsExactly) {
    std::int32_t i = std::numeric_limits<std::int32_t>::min();
    double d = 0.1 + 0.2; // every bit must come back
    bool b = true;
    QString s = "Câmera 1\nlinha 2 = \"x\"; C:\\media\\";
    {
        TSaveDesktop store;
        store.SetRegDiretorio("Quorvel"); // below the default key
        store.AdicionarVariavel("i", &i, 0);
        store.AdicionarVariavel("d", &d, 0.0);
        store.AdicionarVariavel("b", &b, false);
        store.AdicionarVariavel("s", &s, "");
        store.ExportaControles();
    }
    TSaveDesktop store;
    store.SetRegDiretorio("Quorvel");
    std::int32_t i2 = 0;
    double d2 = 0;
    bool b2 = false;
    QString s2;
    EXPECT_EQ(store.AdicionarVariavel("i", &i2, 0), i);
    EXPECT_EQ(store.AdicionarVariavel("d", &d2, 0.0), d);
    EXPECT_TRUE(store.AdicionarVariavel("b", &b2, false));
    EXPECT_EQ(store.AdicionarVariavel("s", &s2, ""), s);
    EXPECT_TRUE(Get(QSettings::UserScope, "Quorvel/i").isValid());
}

TEST_F(RegistryMode, ValueOfAnotherTypeReadsAsTheFixedFallback) {
    Put(QSettings::UserScope, "N", "não é número");
    Put(QSettings::UserScope, "D", "1.5x");
    TSaveDesktop store;
    std::int32_t n = 0;
    double d = 0;
    bool b = false;
    EXPECT_EQ(store.AdicionarVariavel("N", &n, 7), 0);
    EXPECT_EQ(store.AdicionarVariavel("D", &d, 7.0), 0.0);
    EXPECT_FALSE(store.AdicionarVariavel("N", &b, true));
}

TEST_F(RegistryMode, StyleTakesEffectOnTheNextAccess) {
    TSaveDesktop store;
    std::int32_t n = 3;
    store.AdicionarVariavel("N", &n, 0);
    store.SetStyle(TtoStyle::toIniFile);
    store.ExportaControles();
    EXPECT_FALSE(Get(QSettings::UserScope, "N").isValid());
    EXPECT_TRUE(QFileInfo::exists(store.IniFileName()));
    store.SetStyle(TtoStyle::toRegistry);
    store.ExportaControles();
    EXPECT_EQ(Get(QSettings::UserScope, "N").toInt(), 3);
}

TEST(RegistryKeyPath, AbsolutePathsLieBelowTheRootOthersBelowTheDefaultKey) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"\\SOFTWARE\\Marivel\\SaveDesktop", u"SOFTWARE\\Marivel\\SaveDesktop"},
        {u"\\SOFTWARE\\Korvane\\Quorvel\\", u"SOFTWARE\\Korvane\\Quorvel"},
        {u"Quorvel", u"SOFTWARE\\Marivel\\SaveDesktop\\Quorvel"},
        {u"Quorvel\\Janela", u"SOFTWARE\\Marivel\\SaveDesktop\\Quorvel\\Janela"},
        {u"", u"SOFTWARE\\Marivel\\SaveDesktop"},
        {u"\\\\A\\\\B", u"A\\B"},
        {u"/A/B", u"A\\B"},
        {u"\\", u""},
    };
    for (const auto& [text, key] : cases) {
        EXPECT_EQ(ResolveRegistryKeyPath(text), key) << Utf16ToUtf8(text);
    }
}

TEST(RegistryKeyPath, WriteErrorMessageIsTheOperatorsText) {
    const RegistryStoreError error(RegistryWriteErrorMessage(u"\\SOFTWARE\\X"));
    EXPECT_EQ(error.message(),
              u"SaveDesktop: Registro n\u00e3o pode ser salvo na pasta\n\r\\SOFTWARE\\X");
    EXPECT_STREQ(error.what(),
                 "SaveDesktop: Registro n\xC3\xA3o pode ser salvo na pasta\n\r\\SOFTWARE\\X");
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F3A5 \xD800"), "\xF0\x9F\x8E\xA5 \xEF\xBF\xBD");
}
