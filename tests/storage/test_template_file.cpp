// Template files: names, exact bytes, short and long files, failed saves, the saved-slot code.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <cstring>

#include "storage/template_file.h"
#include "support/files.h"
#include "support/temp_home.h"

using namespace quorvel;
using test::ReadAll;
using test::WriteAll;

namespace {

// A layout with something in every byte, the insignificant ones included.
TPipSetup Busy() {
    TPipSetup setup = InitialPipSetup();
    for (std::size_t i = 0; i < kPipCount; ++i) {
        auto* raw = reinterpret_cast<std::uint8_t*>(&setup[i]);
        for (std::size_t b = 0; b < kPipEntrySize; ++b) {
            raw[b] = static_cast<std::uint8_t>((b * 7 + i * 13) & 0xFF);
        }
        SetShortStringText(setup[i].BackFile, QStringLiteral("C:\\media\\fundo%1.png").arg(i));
    }
    return setup;
}

bool SameBytes(const TPipSetup& a, const TPipSetup& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST(TemplateFile, NamesCarrySizeSlotAndSet) {
    EXPECT_EQ(TemplateFileName(2, 1, {1920, 1080}), QStringLiteral("PIPTemplate_1920x1080 _2.DAT"));
    EXPECT_EQ(TemplateFileName(2, 3, {1920, 1080}),
              QStringLiteral("PIPTemplate_1920x1080 _2C.DAT"));
    EXPECT_EQ(TemplateFileName(6, 2, {1280, 720}), QStringLiteral("PIPTemplate_1280x720 _6B.DAT"));
    EXPECT_EQ(TemplateFileName(1, 1, {0, 0}), QStringLiteral("PIPTemplate_0x0 _1.DAT"));
}

TEST(TemplateFile, SavedFileIsTheRecordByteForByteAndLoadsBackIdentical) {
    test::TempHome home;
    const TPipSetup saved = Busy();
    const QString name = TemplateFileName(1, 1, {1920, 1080});
    SaveTemplateFile(name, saved);

    const QByteArray bytes = ReadAll(home.Strevia() + name);
    ASSERT_EQ(bytes.size(), 2272);
    EXPECT_EQ(std::memcmp(bytes.constData(), &saved, 2272), 0);

    TPipSetup loaded = InitialPipSetup();
    EXPECT_TRUE(LoadTemplateFile(name, loaded));
    EXPECT_TRUE(SameBytes(loaded, saved));
}

TEST(TemplateFile, MissingFileLeavesTheLayoutAlone) {
    test::TempHome home;
    TPipSetup setup = Busy();
    const TPipSetup before = setup;
    EXPECT_FALSE(LoadTemplateFile(QStringLiteral("PIPTemplate_1x1 _1.DAT"), setup));
    EXPECT_TRUE(SameBytes(setup, before));
}

TEST(TemplateFile, ShortAndLongFilesReadWholeRecordsOnly) {
    test::TempHome home;
    const TPipSetup source = Busy();
    const QByteArray image(reinterpret_cast<const char*>(&source), 2272);
    const QString path = StreviaDataFolder() + QStringLiteral("t.DAT");

    // Four records and 100 bytes more: the tail is ignored.
    WriteAll(path, image + QByteArray(100, '\x5A'));
    TPipSetup setup = InitialPipSetup();
    EXPECT_TRUE(LoadTemplatePath(path, setup));
    EXPECT_TRUE(SameBytes(setup, source));

    // One and a half records: entry 0 is read, the others keep what they held.
    WriteAll(path, image.left(568 + 284));
    setup = InitialPipSetup();
    EXPECT_TRUE(LoadTemplatePath(path, setup));
    EXPECT_EQ(std::memcmp(&setup[0], &source[0], 568), 0);
    const TPipSetup initial = InitialPipSetup();
    EXPECT_EQ(std::memcmp(&setup[1], &initial[1], 568 * 3), 0);
}

TEST(TemplateFile, FailedSaveRaisesAndKeepsTheOldTemplate) {
    test::TempHome home;
    const QString name = QStringLiteral("PIPTemplate_1920x1080 _1.DAT");
    SaveTemplateFile(name, Busy());
    const QByteArray before = ReadAll(home.Strevia() + name);

    // A folder where the file should be makes both the replace and the fallback fail.
    EXPECT_THROW(SaveTemplatePath(home.Strevia() + QStringLiteral("no/such/folder/x.DAT"),
                                  InitialPipSetup()),
                 TemplateSaveError);
    try {
        SaveTemplatePath(home.Strevia(), InitialPipSetup());
        FAIL() << "saving over a folder succeeded";
    } catch (const TemplateSaveError& e) {
        EXPECT_NE(std::string(e.what()).find("Strevia"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadAll(home.Strevia() + name), before);
}

TEST(TemplateFile, SaveReplacesTheFileAsAWhole) {
    test::TempHome home;
    const QString name = QStringLiteral("PIPTemplate_1920x1080 _3.DAT");
    // A longer, foreign file in the slot ends up exactly 2272 bytes of the new layout.
    WriteAll(StreviaDataFolder() + name, QByteArray(5000, 'x'));
    const TPipSetup layout = InitialPipSetup();
    SaveTemplateFile(name, layout);
    const QByteArray bytes = ReadAll(home.Strevia() + name);
    ASSERT_EQ(bytes.size(), 2272);
    EXPECT_EQ(std::memcmp(bytes.constData(), &layout, 2272), 0);
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(home.Strevia()).entryList(QDir::Files).size(), 1);
}
