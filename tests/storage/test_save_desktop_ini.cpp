// The settings store in INI mode as the designer uses it: first run, the file it writes, files
// written by hand, values that do not convert, where the file lies, and writes that fail at close.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <limits>

#include "storage/ini_file.h"
#include "storage/save_desktop.h"
#include "support/files.h"
#include "support/temp_home.h"
#include "util/helpers.h"

using namespace quorvel;
using test::ReadAll;
using test::WriteAll;

namespace {

// The designer's store and its five values, set up and registered as the window does it.
struct DesignerStore {
    TSaveDesktop SaveDesktop1;
    std::int32_t m_iPosX = 0;
    std::int32_t m_iPosY = 0;
    std::int32_t m_iWidth = 0;
    std::int32_t m_iHeight = 0;
    QString m_sDefaultFolder;

    DesignerStore() {
        SaveDesktop1.SetRegDiretorio("Quorvel");
        SaveDesktop1.SetHKey(ThKey::hkCurrentUser);
        SaveDesktop1.SetStyle(TtoStyle::toIniFile);
        SaveDesktop1.SetStoreIni(TtoStorePlace::toUserSettingsFolder);
        SaveDesktop1.SetCustomUserSettingsFolder("");
        m_iPosX = SaveDesktop1.AdicionarVariavel("DesignerPosWindowX", &m_iPosX, kNeverStored);
        m_iPosY = SaveDesktop1.AdicionarVariavel("DesignerPosWindowY", &m_iPosY, kNeverStored);
        m_iWidth = SaveDesktop1.AdicionarVariavel("DesignerWindowWidth", &m_iWidth, kNeverStored);
        m_iHeight =
            SaveDesktop1.AdicionarVariavel("DesignerWindowHeight", &m_iHeight, kNeverStored);
        m_sDefaultFolder = SaveDesktop1.AdicionarVariavel(
            "DefaultFolderOpenImages", &m_sDefaultFolder, GetSpecialFolder(kCsidlCommonPictures));
    }
};

QString DesignerFile(const test::TempHome& home) {
    const QString name = ExecutableBaseName();
    return home.DataHome() + u'/' + name + u'/' + name + ".sav";
}

} // namespace

TEST(SaveDesktopIni, FirstRunGivesNeverStoredThenCloseWritesFiveKeysInRegistrationOrder) {
    test::TempHome home;
    {
        DesignerStore designer;
        EXPECT_EQ(designer.SaveDesktop1.IniFileName(), DesignerFile(home));
        EXPECT_EQ(designer.m_iPosX, kNeverStored);
        EXPECT_EQ(designer.m_iPosY, kNeverStored);
        EXPECT_EQ(designer.m_iWidth, kNeverStored);
        EXPECT_EQ(designer.m_iHeight, kNeverStored);
        EXPECT_EQ(designer.m_sDefaultFolder, GetSpecialFolder(kCsidlCommonPictures));
        EXPECT_FALSE(designer.m_sDefaultFolder.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(DesignerFile(home))) << "registration wrote the file";

        designer.m_iPosX = 12;
        designer.m_iPosY = -30; // a window on a monitor left of the main one
        designer.m_iWidth = 1280;
        designer.m_iHeight = 800;
        designer.m_sDefaultFolder = "/srv/mídia/fundos/";
        designer.SaveDesktop1.ExportaControles();
    }
    EXPECT_EQ(ReadAll(DesignerFile(home)),
              QByteArray("[Quorvel]\n"
                         "DesignerPosWindowX=12\n"
                         "DesignerPosWindowY=-30\n"
                         "DesignerWindowWidth=1280\n"
                         "DesignerWindowHeight=800\n"
                         "DefaultFolderOpenImages=/srv/mídia/fundos/\n"));

    DesignerStore next;
    EXPECT_EQ(next.m_iPosX, 12);
    EXPECT_EQ(next.m_iPosY, -30);
    EXPECT_EQ(next.m_iWidth, 1280);
    EXPECT_EQ(next.m_iHeight, 800);
    EXPECT_EQ(next.m_sDefaultFolder, "/srv/mídia/fundos/");
}

TEST(SaveDesktopIni, HandWrittenFileIsReadRightAndWrittenBackWithoutLoss) {
    test::TempHome home;
    const QByteArray handWritten = "; Quorvel\r\n"
                                   "[Inputs]\r\n"
                                   "StreviaInput1=C:\\clips\\abertura.mp4\r\n"
                                   "\r\n"
                                   "[quorvel]\r\n"
                                   "DesignerPosWindowX = 100\r\n"
                                   "Comentário=não é um valor do designer\r\n"
                                   "DefaultFolderOpenImages=C:\\Usuários\\Público\\Imagens\\\r\n"
                                   "\r\n"
                                   "[Outra]\r\n"
                                   "DesignerPosWindowY=1\r\n";
    WriteAll(DesignerFile(home), handWritten);

    DesignerStore designer;
    EXPECT_EQ(designer.m_iPosX, 100);
    EXPECT_EQ(designer.m_iPosY, kNeverStored) << "a key of another section was read";
    EXPECT_EQ(designer.m_sDefaultFolder, "C:\\Usuários\\Público\\Imagens\\");

    designer.m_iPosX = 101;
    designer.m_iPosY = 2;
    designer.m_iWidth = 3;
    designer.m_iHeight = 4;
    designer.SaveDesktop1.ExportaControles();
    EXPECT_EQ(ReadAll(DesignerFile(home)),
              QByteArray("; Quorvel\r\n"
                         "[Inputs]\r\n"
                         "StreviaInput1=C:\\clips\\abertura.mp4\r\n"
                         "\r\n"
                         "[quorvel]\r\n"
                         "DesignerPosWindowX=101\r\n"
                         "Comentário=não é um valor do designer\r\n"
                         "DefaultFolderOpenImages=C:\\Usuários\\Público\\Imagens\\\r\n"
                         "DesignerPosWindowY=2\r\n"
                         "DesignerWindowWidth=3\r\n"
                         "DesignerWindowHeight=4\r\n"
                         "\r\n"
                         "[Outra]\r\n"
                         "DesignerPosWindowY=1\r\n"));
}

TEST(SaveDesktopIni, StoredTextThatDoesNotConvertReadsAsTheFixedFallback) {
    test::TempHome home;
    WriteAll(DesignerFile(home), "[Quorvel]\nDesignerPosWindowX=abc\nDesignerPosWindowY=\n"
                                 "DesignerWindowWidth=99999999999\nDesignerWindowHeight= -7 \n");
    DesignerStore designer;
    EXPECT_EQ(designer.m_iPosX, 0) << "not the registered default -99999";
    EXPECT_EQ(designer.m_iPosY, 0);
    EXPECT_EQ(designer.m_iWidth, 0) << "a number too large for 32 bits";
    EXPECT_EQ(designer.m_iHeight, -7);
}

TEST(SaveDesktopIni, TextFormsOfNumbers) {
    struct IntegerCase {
        const char* text;
        std::int32_t value;
    };
    for (const IntegerCase& c : std::initializer_list<IntegerCase>{{"42", 42},
                                                                   {" -7 ", -7},
                                                                   {"+3", 3},
                                                                   {"2147483647", 2147483647},
                                                                   {"2147483648", 0},
                                                                   {"1.5", 0},
                                                                   {"0x10", 0},
                                                                   {"", 0},
                                                                   {"abc", 0}}) {
        EXPECT_EQ(IniParseInteger(c.text), c.value) << c.text;
    }
    EXPECT_TRUE(IniParseBoolean("1"));
    EXPECT_TRUE(IniParseBoolean("-2"));
    EXPECT_FALSE(IniParseBoolean("0"));
    EXPECT_FALSE(IniParseBoolean("true")) << "only numbers are booleans in this file";

    struct DoubleCase {
        double value;
        const char* text;
    };
    for (const DoubleCase& c :
         std::initializer_list<DoubleCase>{{0.0, "0"},
                                           {0.5, "0.5"},
                                           {-2.25, "-2.25"},
                                           {100.0, "100"},
                                           {1.0 / 3.0, "0.333333333333333"},
                                           {2.0 / 3.0, "0.666666666666667"},
                                           {123456789012345.0, "123456789012345"},
                                           {1e15, "1E15"},
                                           {1e20, "1E20"},
                                           {0.00001, "0.00001"},
                                           {0.0000015, "1.5E-6"},
                                           {-1.25e-7, "-1.25E-7"},
                                           {std::numeric_limits<double>::infinity(), "INF"}}) {
        EXPECT_EQ(IniFormatDouble(c.value), c.text) << c.value;
        // 15 digits bring back the value, not always every bit of it.
        if (std::isinf(c.value)) {
            EXPECT_EQ(IniParseDouble(c.text), c.value);
        } else {
            EXPECT_NEAR(IniParseDouble(c.text), c.value, std::abs(c.value) * 1e-14) << c.text;
        }
    }
    EXPECT_EQ(IniParseDouble("0,5"), 0.5) << "a file written where the separator is a comma";
    EXPECT_EQ(IniParseDouble(" 1.5e3 "), 1500.0);
    EXPECT_EQ(IniParseDouble("1,234.5"), 0.0);
    EXPECT_EQ(IniParseDouble("abc"), 0.0);
    EXPECT_TRUE(std::isnan(IniParseDouble(IniFormatDouble(std::nan("")))));
}

TEST(SaveDesktopIni, DoublesUseTheUsersDecimalSeparatorAndReadBackEitherWay) {
    test::TempHome home;
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    EXPECT_EQ(IniFormatDouble(0.125), "0,125");
    EXPECT_EQ(IniFormatDouble(1.5e-6), "1,5E-6");
    QLocale::setDefault(QLocale::c());

    TSaveDesktop store;
    store.SetStyle(TtoStyle::toIniFile);
    store.SetRegDiretorio("Quorvel");
    WriteAll(store.IniFileName(), "[Quorvel]\nFator=0,125\n");
    double factor = 0;
    EXPECT_EQ(store.AdicionarVariavel("Fator", &factor, 1.0), 0.125);
}

TEST(SaveDesktopIni, EveryKindRoundTripsAndBooleansAreOneOrZero) {
    test::TempHome home;
    std::int32_t i = std::numeric_limits<std::int32_t>::min();
    double d = 0.1 + 0.2;
    bool yes = true;
    bool no = false;
    QString text = "  espaços = \"aspas\" ; não é comentário";
    {
        TSaveDesktop store;
        store.SetStyle(TtoStyle::toIniFile);
        store.SetRegDiretorio("Quorvel");
        store.AdicionarVariavel("i", &i, 0);
        store.AdicionarVariavel("d", &d, 0.0);
        store.AdicionarVariavel("yes", &yes, false);
        store.AdicionarVariavel("no", &no, true);
        store.AdicionarVariavel("text", &text, "");
        store.ExportaControles();
        EXPECT_TRUE(ReadAll(store.IniFileName()).contains("\nyes=1\nno=0\n"));
    }
    TSaveDesktop store;
    store.SetStyle(TtoStyle::toIniFile);
    store.SetRegDiretorio("Quorvel");
    std::int32_t i2 = 0;
    double d2 = 0;
    bool yes2 = false;
    bool no2 = true;
    QString text2;
    EXPECT_EQ(store.AdicionarVariavel("i", &i2, 0), i);
    EXPECT_DOUBLE_EQ(store.AdicionarVariavel("d", &d2, 0.0), d); // 15 digits, not every bit
    EXPECT_TRUE(store.AdicionarVariavel("yes", &yes2, false));
    EXPECT_FALSE(store.AdicionarVariavel("no", &no2, true));
    // Blanks at the ends of a value are not kept; everything between them is.
    EXPECT_EQ(store.AdicionarVariavel("text", &text2, ""), text.trimmed());
}

TEST(SaveDesktopIni, WhereTheFileLies) {
    test::TempHome home;
    TSaveDesktop store;
    const QString exe = ExecutableBaseName();
    EXPECT_EQ(store.IniFileName(), home.DataHome() + u'/' + exe + u'/' + exe + ".sav");
    EXPECT_TRUE(QFileInfo(home.DataHome() + u'/' + exe).isDir())
        << "the folder is made when the place is fixed";

    store.SetCustomUserSettingsFolder("   ");
    EXPECT_EQ(store.IniFileName(), home.DataHome() + u'/' + exe + u'/' + exe + ".sav");

    store.SetCustomUserSettingsFolder("Perfil");
    EXPECT_EQ(store.IniFileName(), home.DataHome() + "/Perfil/Perfil.sav");
    EXPECT_TRUE(QFileInfo(home.DataHome() + "/Perfil").isDir());

    store.SetStoreIni(TtoStorePlace::toCurrentFolder);
    EXPECT_EQ(store.IniFileName(), ExecutableFolder() + exe + ".sav");
    EXPECT_EQ(SettingsFilePath(TtoStorePlace::toUserSettingsFolder, {}),
              home.DataHome() + u'/' + exe + u'/' + exe + ".sav");
}

TEST(SaveDesktopIni, KeysAnotherProgramAddedWhileRunningAreKept) {
    test::TempHome home;
    DesignerStore designer;
    // The operator maps an input while the designer runs.
    WriteAll(DesignerFile(home), "[Inputs]\nStreviaInput2=/dev/video0\n");
    designer.SaveDesktop1.ExportaControles();
    IniFile file(DesignerFile(home));
    file.Load();
    EXPECT_EQ(file.Value("Inputs", "StreviaInput2"), QString("/dev/video0"));
    EXPECT_EQ(file.SectionEntries("Quorvel").size(), 5);
}

TEST(SaveDesktopIni, ReloadReadsTheFileAfresh) {
    test::TempHome home;
    DesignerStore designer;
    WriteAll(DesignerFile(home), "[Quorvel]\nDesignerPosWindowX=5\n");
    designer.SaveDesktop1.RecarregarVariaveis();
    EXPECT_EQ(designer.m_iPosX, 5);
    EXPECT_EQ(designer.m_iPosY, kNeverStored);
}

TEST(SaveDesktopIni, FileThatCannotBeWrittenAtCloseGivesAMessageAndTheCloseGoesOn) {
    test::TempHome home;
    DesignerStore designer;
    // The settings folder has become a plain file: nothing can be created in it, even as root.
    const QString folder = QFileInfo(DesignerFile(home)).absolutePath();
    ASSERT_TRUE(QDir(folder).removeRecursively());
    WriteAll(folder, "not a folder");

    const QString message = designer.SaveDesktop1.TryExportaControles();
    EXPECT_TRUE(message.startsWith("SaveDesktop: ")) << message.toStdString();
    EXPECT_TRUE(message.contains(DesignerFile(home))) << message.toStdString();
    EXPECT_THROW(designer.SaveDesktop1.ExportaControles(), SaveDesktopError);
    EXPECT_EQ(ReadAll(folder), QByteArray("not a folder"));
}

TEST(SaveDesktopIni, FileThatExistsButCannotBeReadIsNotOverwritten) {
    test::TempHome home;
    // Something that is there but cannot be read as a file stands in for an unreadable file.
    ASSERT_TRUE(QDir().mkpath(DesignerFile(home) + "/keep"));
    DesignerStore designer;
    EXPECT_EQ(designer.m_iPosX, kNeverStored);
    const QString message = designer.SaveDesktop1.TryExportaControles();
    EXPECT_FALSE(message.isEmpty()) << "an unreadable settings file was reported as saved";
    EXPECT_TRUE(QFileInfo(DesignerFile(home) + "/keep").isDir());
}

TEST(SaveDesktopIni, ValueWithALineBreakFailsAloneAndCannotAddLinesToTheFile) {
    test::TempHome home;
    DesignerStore designer;
    designer.m_iPosX = 1;
    designer.m_sDefaultFolder = "/media/x\n[Inputs]\nStreviaInput1=/etc/passwd";
    const QString message = designer.SaveDesktop1.TryExportaControles();
    EXPECT_TRUE(message.contains("DefaultFolderOpenImages")) << message.toStdString();

    IniFile file(DesignerFile(home));
    file.Load();
    EXPECT_EQ(file.Sections(), QStringList({"Quorvel"}));
    EXPECT_EQ(file.Value("Quorvel", "DesignerPosWindowX"), QString("1"));
    EXPECT_FALSE(file.Contains("Quorvel", "DefaultFolderOpenImages"));
}

TEST(SaveDesktopIni, SameNameRegisteredTwiceEndsWithTheLaterValue) {
    test::TempHome home;
    TSaveDesktop store;
    store.SetStyle(TtoStyle::toIniFile);
    std::int32_t first = 1, second = 2;
    store.AdicionarVariavel("N", &first, 0);
    store.AdicionarVariavel("N", &second, 0);
    store.ExportaControles();
    EXPECT_TRUE(ReadAll(store.IniFileName()).endsWith("\nN=2\n"));
    // The section is the default key's text while RegDiretorio is left alone.
    EXPECT_TRUE(ReadAll(store.IniFileName()).startsWith("[\\SOFTWARE\\Marivel\\SaveDesktop]\n"));
}
