// The hand-off file: line endings, encodings, defaults, the caption and the set index.

#include <gtest/gtest.h>

#include <QFile>

#include "storage/handoff.h"
#include "support/temp_home.h"

using namespace quorvel;

namespace {

class Handoff : public ::testing::Test {
protected:
    QString Write(const QByteArray& bytes) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    // A complete 22-line file: input 3 is a device, input 2 wants format 7.
    static QByteArray Complete(const char* eol = "\r\n") {
        const char* lines[] = {"5", "2", "6", "20", "0", "0", "1", "0", "0", "0",        "0",
                               "0", "0", "7", "0",  "0", "0", "0", "0", "0", "Studio 2", "3"};
        QByteArray out;
        for (const char* line : lines) {
            out += line;
            out += eol;
        }
        return out;
    }

    test::TempHome home;
    QString path = GetHandoffFileName();
};

} // namespace

TEST_F(Handoff, MissingFileGivesTheDefaults) {
    EXPECT_TRUE(path.endsWith(QStringLiteral("/Strevia/Quorvel.dat")));
    EXPECT_EQ(ReadIndexProgram(path), 1);
    EXPECT_EQ(ReadButtonIndex(path), 1);
    EXPECT_EQ(ReadQuantPreview(path), 4);
    EXPECT_EQ(ReadVideoFormat(path), 0);
    EXPECT_FALSE(ReadInputIsDevice(path, 1));
    EXPECT_EQ(ReadInputFormat(path, 1), 0);
    const DefIndexAndCaption d = ReadDefIndexAndCaption(path);
    EXPECT_EQ(d.defIndex, 1);
    EXPECT_FALSE(d.caption.has_value()); // the caption stays "Quorvel"
}

TEST_F(Handoff, CompleteFileInEveryLineEnding) {
    for (const char* eol : {"\r\n", "\n", "\r"}) {
        Write(Complete(eol));
        EXPECT_EQ(ReadIndexProgram(path), 5);
        EXPECT_EQ(ReadButtonIndex(path), 2);
        EXPECT_EQ(ReadQuantPreview(path), 6);
        EXPECT_EQ(ReadVideoFormat(path), 20);
        EXPECT_TRUE(ReadInputIsDevice(path, 3));
        EXPECT_FALSE(ReadInputIsDevice(path, 2));
        EXPECT_EQ(ReadInputFormat(path, 2), 7);
        const DefIndexAndCaption d = ReadDefIndexAndCaption(path);
        EXPECT_EQ(d.defIndex, 3);
        EXPECT_EQ(d.caption, QStringLiteral("Quorvel - Studio 2"));
    }
}

TEST_F(Handoff, ByteOrderMarksSelectTheEncoding) {
    const QString caption = QStringLiteral("Estúdio Ação");
    QByteArray body = "1\r\n1\r\n4\r\n0\r\n";
    QByteArray utf8 = "\xEF\xBB\xBF" + body + caption.toUtf8() + "\r\n2\r\n";
    Write(utf8);
    EXPECT_EQ(ReadDefIndexAndCaption(path).caption, QStringLiteral("Quorvel - ") + caption);
    EXPECT_EQ(ReadIndexProgram(path), 1); // the mark does not spoil the first number

    const QString text = QString::fromUtf8(body) + caption + QStringLiteral("\r\n2\r\n");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    Write(utf16);
    EXPECT_EQ(ReadDefIndexAndCaption(path).caption, QStringLiteral("Quorvel - ") + caption);
    EXPECT_EQ(ReadDefIndexAndCaption(path).defIndex, 2);

    Write(body + "Est\xFA"
                 "dio\r\n2\r\n"); // no mark: Windows-1252
    EXPECT_EQ(ReadDefIndexAndCaption(path).caption, QStringLiteral("Quorvel - Estúdio"));
}

TEST_F(Handoff, ATrailingBlankLineBecomesTheLastLine) {
    Write(Complete() + "\r\n");
    const DefIndexAndCaption d = ReadDefIndexAndCaption(path);
    EXPECT_EQ(d.defIndex, 1);
    EXPECT_EQ(d.caption, QStringLiteral("Quorvel - 3"));
}

TEST_F(Handoff, ShortAndOddFiles) {
    Write("7"); // one line: the set comes from it, the caption is the program's name
    EXPECT_EQ(ReadDefIndexAndCaption(path).defIndex, 7);
    EXPECT_EQ(ReadDefIndexAndCaption(path).caption, QStringLiteral("Quorvel"));
    EXPECT_EQ(ReadQuantPreview(path), 4); // a missing line takes the default
    EXPECT_FALSE(ReadInputIsDevice(path, 8));

    Write("");
    EXPECT_EQ(ReadIndexProgram(path), 1);
    EXPECT_EQ(ReadDefIndexAndCaption(path).defIndex, 1);

    Write("x\r\n 3 \r\n\r\n99999999999\r\n2\r\n");
    EXPECT_EQ(ReadIndexProgram(path), 1);     // not a number
    EXPECT_EQ(ReadButtonIndex(path), 3);      // blanks around it are fine
    EXPECT_EQ(ReadQuantPreview(path), 4);     // empty line
    EXPECT_EQ(ReadVideoFormat(path), 0);      // does not fit in 32 bits
    EXPECT_FALSE(ReadInputIsDevice(path, 1)); // 2 is not "yes"
}

TEST(HandoffValues, IntegerConversionAndClamping) {
    EXPECT_EQ(HandoffInteger(QStringLiteral("-12"), 5), -12);
    EXPECT_EQ(HandoffInteger(QStringLiteral("+7"), 5), 7);
    EXPECT_EQ(HandoffInteger(QStringLiteral("2147483647"), 5), 2147483647);
    EXPECT_EQ(HandoffInteger(QStringLiteral("2147483648"), 5), 5);
    EXPECT_EQ(HandoffInteger(QStringLiteral("1.5"), 5), 5);
    EXPECT_EQ(HandoffInteger(QStringLiteral("-"), 5), 5);
    EXPECT_EQ(ClampInputCount(12), 8);
    EXPECT_EQ(ClampInputCount(-1), 0);
    EXPECT_EQ(ClampSlot(9), 6);
    EXPECT_EQ(ClampSlot(0), 0);
}
