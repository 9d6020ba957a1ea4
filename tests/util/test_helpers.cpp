// Folder, text and file-type helpers, and the code page of the short strings.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

#include "support/temp_home.h"
#include "util/ansi_codepage.h"
#include "util/helpers.h"

using namespace quorvel;

TEST(ReplaceText, Table) {
    struct Case {
        const char16_t *text, *from, *to;
        TextCase textCase;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"a-b-c", u"-", u"+", TextCase::Exact, u"a+b+c"},
        {u"aaa", u"aa", u"b", TextCase::Exact, u"ba"}, // matches never overlap
        {u"x", u"x", u"xx", TextCase::Exact, u"xx"},   // inserted text is not searched again
        {u"abc", u"", u"z", TextCase::Exact, u"abc"},
        {u"ab", u"abc", u"z", TextCase::Exact, u"ab"},
        {u"ABC abc", u"b", u"-", TextCase::IgnoreAsciiCase, u"A-C a-c"},
        {u"ABC abc", u"b", u"-", TextCase::Exact, u"ABC a-c"},
        {u"É é", u"é", u"e", TextCase::IgnoreAsciiCase, u"É e"}, // only a-z fold
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReplaceText(QString::fromUtf16(c.text), QString::fromUtf16(c.from),
                              QString::fromUtf16(c.to), c.textCase),
                  QString::fromUtf16(c.expected))
            << QString::fromUtf16(c.text).toStdString();
    }
}

TEST(IsImageFileName, StillImagesByExtensionOnly) {
    const std::pair<const char16_t*, bool> cases[] = {
        {u"photo.jpeg", true},
        {u"back.Png", true},
        {u"\"C:\\media\\back.Png\"", true},
        {u"a.JPG", true},
        {u"a.tif", true},
        {u"a.gif", true},
        {u"clip.mp4", false},
        {u"scan.tiff", false},
        {u"image.bmp", false},
        {u"nodot", false},
        {u"", false},
        {u"back.png\"", false}, // only a leading quote triggers the removal
        {u"C:\\pics.jpg\\movie", false},
        {u"/home/op/pics.jpg/movie", false},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(IsImageFileName(QString::fromUtf16(name)), expected)
            << QString::fromUtf16(name).toStdString();
    }
}

TEST(Folders, UserDataFolderIsCreatedUnderTheDataHome) {
    test::TempHome home;
    const QString folder = GetUserDataFolder(QStringLiteral("Strevia"));
    EXPECT_EQ(folder, home.DataHome() + QStringLiteral("/Strevia/"));
    EXPECT_TRUE(FolderExists(folder));
    // With no subfolder the folder is named after the executable.
    EXPECT_EQ(GetUserDataFolder(QString()), home.DataHome() + u'/' + ExecutableBaseName() + u'/');
    EXPECT_EQ(ExecutableBaseName(), QStringLiteral("test_helpers"));
}

TEST(Folders, ForceFolderMakesEveryLevelAndRefusesAnEmptyPath) {
    test::TempHome home;
    const QString deep = home.Path() + QStringLiteral("/a/b/c");
    EXPECT_FALSE(FolderExists(deep));
    EXPECT_TRUE(ForceFolder(deep));
    EXPECT_TRUE(FolderExists(deep));
    EXPECT_THROW(ForceFolder(QString()), std::invalid_argument);
    EXPECT_FALSE(FolderExists(QString()));
}

TEST(Folders, SpecialFoldersHaveNoTrailingDelimiter) {
    test::TempHome home;
    EXPECT_EQ(GetSpecialFolder(kCsidlAppData), home.DataHome());
    EXPECT_FALSE(GetSpecialFolder(kCsidlCommonPictures).endsWith(u'/'));
    EXPECT_TRUE(GetSpecialFolder(12345).isEmpty());
}

TEST(WaitWithMessages, HandlesWaitingEventsEvenForZero) {
    int argc = 1;
    char name[] = "test_helpers";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    bool ran = false;
    QTimer::singleShot(0, &app, [&ran] { ran = true; });
    WaitWithMessages(0);
    EXPECT_TRUE(ran);
}

TEST(AnsiCodePage, RoundTripsWindows1252AndReplacesTheRest) {
    QByteArray all;
    for (int b = 1; b < 256; ++b) {
        all.append(static_cast<char>(b));
    }
    EXPECT_EQ(UnicodeToAnsi(AnsiToUnicode(all)), all);
    EXPECT_EQ(AnsiToUnicode(QByteArray("\x80\x99", 2)), QStringLiteral("€™"));
    EXPECT_EQ(UnicodeToAnsi(QStringLiteral("São Paulo – ok")), QByteArray("S\xE3o Paulo \x96 ok"));
    EXPECT_EQ(UnicodeToAnsi(QStringLiteral("Ω😀")), QByteArray("??")); // one byte per character
}
