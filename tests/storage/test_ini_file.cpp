// The plain INI file: hand-written files read right and written back without loss, values taken
// as written, and saves that either replace the whole file or leave it as it was.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

#include "storage/ini_file.h"
#include "support/files.h"

using namespace quorvel;
using test::ReadAll;
using test::WriteAll;

namespace {

// A settings file as an operator would write it by hand on Windows: a byte-order mark, CR LF,
// comments, blank lines, blanks around "=", Windows paths, accented text and other sections.
const QByteArray kHandWritten = "\xEF\xBB\xBF"
                                "; configurações do Quorvel\r\n"
                                "\r\n"
                                "[Quorvel]\r\n"
                                "DesignerPosWindowX=120\r\n"
                                "DefaultFolderOpenImages = C:\\media\\Imagens de fundo\\ \r\n"
                                "Legenda=Câmera São João \"ao vivo\"\r\n"
                                "\r\n"
                                "[Inputs]\r\n"
                                "StreviaInput1=rtsp://10.0.0.5/cam?x=1&y=2\r\n"
                                "# a comment\r\n"
                                "StreviaInput2=C:\\clips\\abertura.mp4\r\n"
                                "\r\n"
                                "[Outra]\r\n"
                                "Chave=valor\r\n";

QList<IniEntry> Entries(std::initializer_list<std::pair<const char*, const char*>> pairs) {
    QList<IniEntry> entries;
    for (const auto& [name, value] : pairs) {
        entries.append({QString::fromUtf8(name), QString::fromUtf8(value)});
    }
    return entries;
}

} // namespace

TEST(IniFile, HandWrittenFileReadsAsWrittenAndSerializesByteForByte) {
    IniFile ini;
    ini.Parse(kHandWritten);

    EXPECT_EQ(ini.Sections(), QStringList({"Quorvel", "Inputs", "Outra"}));
    // No quotes removed, no escapes read, blanks around the value dropped; the backslashes stay.
    EXPECT_EQ(ini.SectionEntries("Quorvel"),
              Entries({{"DesignerPosWindowX", "120"},
                       {"DefaultFolderOpenImages", "C:\\media\\Imagens de fundo\\"},
                       {"Legenda", "Câmera São João \"ao vivo\""}}));
    // A value may itself hold "=": only the first one splits. Comments are not entries.
    EXPECT_EQ(ini.SectionEntries("inputs"),
              Entries({{"StreviaInput1", "rtsp://10.0.0.5/cam?x=1&y=2"},
                       {"StreviaInput2", "C:\\clips\\abertura.mp4"}}));
    EXPECT_EQ(ini.Serialize(), kHandWritten);
}

TEST(IniFile, SetValueChangesOnlyItsLineAndKeepsEverythingElse) {
    IniFile ini;
    ini.Parse(kHandWritten);
    ini.SetValue("QUORVEL", "designerposwindowx", "-99999"); // names compare without case
    ini.SetValue("Quorvel", "DesignerWindowWidth", "800");   // new key after the last entry
    ini.SetValue("Novo", "Pasta", "D:\\");                   // new section at the end

    QByteArray expected = kHandWritten;
    expected.replace("DesignerPosWindowX=120\r\n", "designerposwindowx=-99999\r\n");
    expected.replace("Legenda=Câmera São João \"ao vivo\"\r\n",
                     "Legenda=Câmera São João \"ao vivo\"\r\nDesignerWindowWidth=800\r\n");
    expected += "\r\n[Novo]\r\nPasta=D:\\\r\n";
    EXPECT_EQ(ini.Serialize(), expected);
}

TEST(IniFile, FirstOfTwoEqualSectionsOrKeysCounts) {
    IniFile ini;
    ini.Parse("[A]\nk=1\nk=2\n[a]\nk=3\nj=4\n");
    EXPECT_EQ(ini.Value("A", "k"), QString("1"));
    EXPECT_FALSE(ini.Contains("A", "j")); // j is in the second [a], which is never read
    ini.SetValue("A", "K", "9");
    EXPECT_EQ(ini.Serialize(), QByteArray("[A]\nK=9\nk=2\n[a]\nk=3\nj=4\n"));
}

TEST(IniFile, LinesThatAreNotEntriesAreKeptButNotRead) {
    IniFile ini;
    const QByteArray text = "top=level\n[S]\n=no name\njust text\n[broken\n;k=v\nk=v";
    ini.Parse(text);
    EXPECT_EQ(ini.SectionEntries("S"), Entries({{"k", "v"}}));
    EXPECT_FALSE(ini.HasSection("broken"));
    // The only change: the missing line break at the end is added.
    EXPECT_EQ(ini.Serialize(), text + "\n");
}

TEST(IniFile, LineNotInUtf8IsReadInTheAnsiCodePageAndKeptAsItWas) {
    IniFile ini;
    const QByteArray text = "[Quorvel]\nPasta=C:\\V\xED"
                            "deos\nOutra=ok\n"; // Windows-1252 í
    ini.Parse(text);
    EXPECT_EQ(ini.Value("Quorvel", "Pasta"), QString("C:\\Vídeos"));
    ini.SetValue("Quorvel", "Outra", "sim");
    EXPECT_EQ(ini.Serialize(), QByteArray("[Quorvel]\nPasta=C:\\V\xED"
                                          "deos\nOutra=sim\n"));
}

TEST(IniFile, RefusesNamesAndValuesThatWouldBreakTheFile) {
    IniFile ini;
    ini.Parse("[S]\na=1\n");
    // Each of these would add, hide or split a line of the file.
    const QString badNames[] = {"", "  ", "a=b", "x\ny", "[T]", ";c", "#c"};
    for (const QString& name : badNames) {
        EXPECT_THROW(ini.SetValue("S", name, "v"), std::invalid_argument) << name.toStdString();
    }
    EXPECT_THROW(ini.SetValue("S", "a", "1\n[T]\nb=2"), std::invalid_argument);
    EXPECT_THROW(ini.SetValue("S", "a", "1\r2"), std::invalid_argument);
    EXPECT_THROW(ini.SetValue("S]x", "a", "1"), std::invalid_argument);
    EXPECT_THROW(ini.SetValue("", "a", "1"), std::invalid_argument);
    EXPECT_EQ(ini.Serialize(), QByteArray("[S]\na=1\n"));
}

TEST(IniFile, RemoveTakesOutOnlyThatKey) {
    IniFile ini;
    ini.Parse("[S]\na=1\nb=2\n[T]\na=3\n");
    EXPECT_TRUE(ini.Remove("s", "A"));
    EXPECT_FALSE(ini.Remove("S", "a"));
    EXPECT_FALSE(ini.Remove("U", "a"));
    EXPECT_EQ(ini.Serialize(), QByteArray("[S]\nb=2\n[T]\na=3\n"));
}

TEST(IniFile, SaveAndLoadRoundTripThroughTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quorvel.sav");
    WriteAll(path, kHandWritten);

    IniFile ini(path);
    ini.Load();
    ini.SetValue("Quorvel", "DesignerPosWindowX", "7");
    ini.Save();

    IniFile again(path);
    again.Load();
    EXPECT_EQ(again.Value("Quorvel", "DesignerPosWindowX"), QString("7"));
    EXPECT_EQ(again.SectionEntries("Inputs"), ini.SectionEntries("Inputs"));
    EXPECT_EQ(ReadAll(path), ini.Serialize());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"quorvel.sav"}))
        << "a temporary file was left behind";
}

TEST(IniFile, MissingFileIsAnEmptyDocumentAndANewFileUsesThePlatformLineBreak) {
    QTemporaryDir dir;
    IniFile ini(dir.filePath("new.sav"));
    ini.Load();
    EXPECT_TRUE(ini.Sections().isEmpty());
    ini.SetValue("Quorvel", "A", "1");
    ini.Save();
    EXPECT_EQ(ReadAll(ini.Path()), QByteArray("[Quorvel]\nA=1\n"));
}

TEST(IniFile, ReadSectionGivesOneSectionOrNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quorvel.sav");
    WriteAll(path, kHandWritten);
    EXPECT_EQ(IniFile::ReadSection(path, "Inputs").size(), 2);
    EXPECT_TRUE(IniFile::ReadSection(path, "Nada").isEmpty());
    EXPECT_TRUE(IniFile::ReadSection(dir.filePath("missing.sav"), "Inputs").isEmpty());
    EXPECT_TRUE(IniFile::ReadSection(dir.path(), "Inputs").isEmpty()); // a folder
}

TEST(IniFile, LoadOfSomethingThatIsNotAReadableFileThrows) {
    QTemporaryDir dir;
    IniFile ini(dir.path());
    EXPECT_THROW(ini.Load(), IniFileError);
}

TEST(IniFile, SaveThatCannotCreateItsFileThrowsWithThePath) {
    QTemporaryDir dir;
    WriteAll(dir.filePath("plain"), "x");
    // The folder "plain" is a file: no file can be created in it, not even by root.
    IniFile ini(dir.filePath("plain/quorvel.sav"));
    ini.SetValue("S", "a", "1");
    try {
        ini.Save();
        FAIL() << "the save reported success";
    } catch (const IniFileError& error) {
        EXPECT_TRUE(error.message().contains(ini.Path())) << error.what();
    }
}

TEST(IniFile, SaveThatRunsOutOfSpaceLeavesTheOldFileWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quorvel.sav");
    WriteAll(path, kHandWritten);
    IniFile ini(path);
    ini.Load();
    ini.SetValue("Quorvel", "Grande", QString(64 * 1024, u'x'));

    // A file size limit stands in for a full disk: writes past 4 KiB fail.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    try {
        ini.Save();
    } catch (const IniFileError&) {
        threw = true;
    }
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_TRUE(threw) << "a half-written save was reported as success";
    EXPECT_EQ(ReadAll(path), kHandWritten);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"quorvel.sav"}))
        << "a temporary file was left behind";
}

TEST(IniFile, SaveWritesThroughALinkAndKeepsThePermissions) {
    QTemporaryDir dir;
    const QString target = dir.filePath("real.sav");
    const QString link = dir.filePath("quorvel.sav");
    WriteAll(target, "[S]\na=1\n");
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(QFile::link(target, link));

    IniFile ini(link);
    ini.Load();
    ini.SetValue("S", "a", "2");
    ini.Save();

    EXPECT_TRUE(QFileInfo(link).isSymLink()) << "the link was replaced by a plain file";
    EXPECT_EQ(ReadAll(target), QByteArray("[S]\na=2\n"));
    const QFile::Permissions permissions = QFile::permissions(target);
    EXPECT_TRUE(permissions.testFlag(QFile::WriteOwner));
    EXPECT_FALSE(permissions & (QFile::ReadGroup | QFile::ReadOther)) << "the save widened access";
}
