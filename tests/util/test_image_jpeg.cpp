// JPEG files, the 16:9 fitting and the converter the preview calls when it cannot open a JPEG:
// which pictures produce a copy and at what size, that the copy is exactly the documented chain of
// steps, and that failures leave no file and no half-written file behind.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <cstdint>
#include <random>

#include "support/temp_home.h"
#include "util/helpers.h"
#include "util/image/image_tools.h"

using namespace quorvel;

namespace {

// Smooth gradients with a sharp disc: something a JPEG coder and a blur both act on visibly.
QImage Picture(int width, int height) {
    QImage image(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* line = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int dx = x - width / 2;
            const int dy = y - height / 2;
            const bool disc = dx * dx + dy * dy < (height / 4) * (height / 4);
            line[3 * x] = static_cast<std::uint8_t>(x * 255 / width);
            line[3 * x + 1] = disc ? 255 : static_cast<std::uint8_t>(y * 255 / height);
            line[3 * x + 2] = disc ? 0 : 128;
        }
    }
    return image;
}

QImage Resampled(const QImage& src, int width, int height) {
    QImage dst(width, height, QImage::Format_BGR888);
    ResampleBitmap(src, dst);
    return dst;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class JpegFiles : public ::testing::Test {
protected:
    // A JPEG of the given size in the test folder; returns its full path.
    QString WriteJpeg(const QString& name, int width, int height, int quality = 95) {
        EXPECT_TRUE(SaveJPEGFile(Picture(width, height), Folder(), name, quality));
        return Folder() + name;
    }
    QString Folder() const { return m_home.Path() + QStringLiteral("/pictures/"); }

    test::TempHome m_home;
};

} // namespace

TEST_F(JpegFiles, SaveAndLoadRoundTrip) {
    const QString nested = Folder() + QStringLiteral("a/b/");
    ASSERT_TRUE(SaveJPEGFile(Picture(64, 48), nested, QStringLiteral("p.jpg"), 100));
    QImage loaded;
    ASSERT_TRUE(LoadJPEGFile(loaded, nested, QStringLiteral("p.jpg")));
    EXPECT_EQ(loaded.size(), QSize(64, 48));
    EXPECT_EQ(loaded.format(), QImage::Format_BGR888);
    // Lossy (and the chroma is subsampled), but at quality 100 the channels stay close to the
    // original on average; swapped blue and red would be far off.
    const QImage original = Picture(64, 48);
    double error = 0;
    for (int y = 0; y < 48; ++y) {
        for (int i = 0; i < 3 * 64; ++i) {
            error += std::abs(loaded.constScanLine(y)[i] - original.constScanLine(y)[i]);
        }
    }
    EXPECT_LT(error / (48 * 3 * 64), 4.0);

    // The quality reaches the encoder, and a second save replaces the file.
    const qint64 best = QFileInfo(nested + QStringLiteral("p.jpg")).size();
    ASSERT_TRUE(SaveJPEGFile(Picture(64, 48), nested, QStringLiteral("p.jpg"), 5));
    EXPECT_LT(QFileInfo(nested + QStringLiteral("p.jpg")).size(), best);
}

TEST_F(JpegFiles, LoadFailuresLeaveTheBitmapAlone) {
    WriteJpeg(QStringLiteral("good.jpg"), 8, 8);
    ASSERT_TRUE(Picture(10, 10).save(Folder() + QStringLiteral("picture.png")));
    QFile truncated(Folder() + QStringLiteral("truncated.jpg"));
    ASSERT_TRUE(truncated.open(QIODevice::WriteOnly));
    truncated.write(FileBytes(Folder() + QStringLiteral("good.jpg")).left(40));
    truncated.close();

    const QImage marker = Picture(3, 2);
    for (const QString& name : {QString(), QStringLiteral("missing.jpg"),
                                QStringLiteral("picture.png"), QStringLiteral("truncated.jpg")}) {
        QImage bitmap = marker;
        EXPECT_FALSE(LoadJPEGFile(bitmap, Folder(), name)) << name.toStdString();
        EXPECT_EQ(bitmap, marker) << name.toStdString();
    }
    QImage bitmap;
    EXPECT_FALSE(LoadJPEGFile(bitmap, Folder(), QStringLiteral("pictures"))) << "a folder";
}

TEST_F(JpegFiles, SaveFailures) {
    const QImage picture = Picture(16, 16);
    // A folder that cannot be created (a file stands in its way): nothing written, no error.
    WriteJpeg(QStringLiteral("blocker"), 8, 8);
    EXPECT_FALSE(SaveJPEGFile(picture, Folder() + QStringLiteral("blocker/sub/"),
                              QStringLiteral("p.jpg"), 90));
    // No folder part is the caller's error.
    EXPECT_THROW(SaveJPEGFile(picture, QString(), QStringLiteral("p.jpg"), 90), ImageError);
    // A name that is a folder cannot be written: an error, and the folder is left as it was.
    ASSERT_TRUE(QDir().mkpath(Folder() + QStringLiteral("taken.jpg")));
    EXPECT_THROW(SaveJPEGFile(picture, Folder(), QStringLiteral("taken.jpg"), 90), ImageError);
    EXPECT_TRUE(QFileInfo(Folder() + QStringLiteral("taken.jpg")).isDir());
    EXPECT_THROW(SaveJPEGFile(QImage(), Folder(), QStringLiteral("empty.jpg"), 90), ImageError);
    EXPECT_FALSE(QFileInfo::exists(Folder() + QStringLiteral("empty.jpg")));
}

TEST(FitToWidescreen, PortraitGetsBlurredSideBands) {
    const QImage src = Picture(600, 800);
    QImage dst;
    FitToWidescreen(src, dst, 10.0f);
    ASSERT_EQ(dst.size(), QSize(1422, 800)); // Trunc(800 * 16 / 9)

    // The picture sits centred at its own size: left = Trunc(711 - 300) = 411.
    EXPECT_EQ(dst.copy(411, 0, 600, 800), src);
    // The bands are the blurred picture (600 is not above 800: not halved) stretched over all.
    QImage working = src.copy();
    BlurBorderBands(working, 10.0f);
    const QImage background = Resampled(working, 1422, 800);
    EXPECT_EQ(dst.copy(0, 0, 411, 800), background.copy(0, 0, 411, 800));
    EXPECT_EQ(dst.copy(1011, 0, 411, 800), background.copy(1011, 0, 411, 800));
    EXPECT_NE(background.copy(0, 0, 411, 800), Resampled(src, 1422, 800).copy(0, 0, 411, 800));
}

TEST(FitToWidescreen, WidePictureIsHalvedBeforeBlurring) {
    const QImage src = Picture(2000, 800); // ratio 2.5
    QImage dst;
    FitToWidescreen(src, dst, 10.0f);
    ASSERT_EQ(dst.size(), QSize(2000, 1125)); // Trunc(2000 * 0.5625)
    const int top = 162;                      // Trunc(562.5 - 400)
    EXPECT_EQ(dst.copy(0, top, 2000, 800), src);
    QImage working = Resampled(src, 1000, 400);
    BlurBorderBands(working, 10.0f);
    const QImage background = Resampled(working, 2000, 1125);
    EXPECT_EQ(dst.copy(0, 0, 2000, top), background.copy(0, 0, 2000, top));
    EXPECT_EQ(dst.copy(0, top + 800, 2000, 1125 - top - 800),
              background.copy(0, top + 800, 2000, 1125 - top - 800));
}

TEST(FitToWidescreen, RatiosFrom175To18AreCopied) {
    for (const QSize size : {QSize(1600, 900), QSize(700, 400), QSize(720, 400)}) {
        const QImage src = Picture(size.width(), size.height());
        QImage dst;
        FitToWidescreen(src, dst, 10.0f);
        EXPECT_EQ(dst, src) << size.width() << "x" << size.height();
    }
    QImage dst = Picture(4, 4);
    FitToWidescreen(QImage(), dst, 10.0f);
    EXPECT_TRUE(dst.isNull());
}

TEST_F(JpegFiles, ConverterWritesOnlyWhenTheRulesSaySo) {
    struct Case {
        const char* what;
        QSize source;
        int width, height;
        bool enlarge, fitWidescreen, exactSize;
        QSize expected; // empty: no file
    };
    const Case cases[] = {
        {"preview call, narrower", {1000, 1000}, 1920, 1080, false, false, false, {}},
        {"preview call, wider", {2400, 1600}, 1920, 1080, false, false, false, {1920, 1280}},
        {"exactly as wide", {640, 480}, 640, 360, false, false, false, {}},
        {"exactly as wide, enlarge", {640, 480}, 640, 360, true, false, false, {}},
        {"narrower, enlarge", {400, 300}, 640, 360, true, false, false, {640, 480}},
        {"exact size", {1000, 1000}, 640, 100, false, false, true, {640, 100}},
        {"exact size, narrower", {300, 200}, 640, 100, false, false, true, {640, 100}},
        {"16:9 already: not fitted", {1280, 720}, 640, 100, false, true, false, {640, 360}},
        {"portrait fitted", {600, 800}, 711, 100, false, true, false, {711, 400}},
        {"fitted but not wider", {600, 800}, 1422, 100, false, true, false, {}},
    };
    for (const Case& c : cases) {
        const QString name =
            QStringLiteral("%1x%2.jpg").arg(c.source.width()).arg(c.source.height());
        const QString src = QFileInfo::exists(Folder() + name)
                                ? Folder() + name
                                : WriteJpeg(name, c.source.width(), c.source.height());
        const QString dst = Folder() + QStringLiteral("out/copy.jpg");
        QFile::remove(dst);
        const ConvertResult result = ConvertJPEGFile(src, dst, c.width, c.height, 90, c.enlarge,
                                                     c.fitWidescreen, c.exactSize);
        QImage written;
        const bool exists =
            LoadJPEGFile(written, Folder() + QStringLiteral("out/"), QStringLiteral("copy.jpg"));
        if (c.expected.isEmpty()) {
            EXPECT_EQ(result, ConvertResult::NothingToWrite) << c.what;
            EXPECT_FALSE(exists) << c.what;
        } else {
            EXPECT_EQ(result, ConvertResult::Written) << c.what;
            EXPECT_EQ(written.size(), c.expected) << c.what;
        }
    }
}

// The copy is exactly load, resample to width x MulDiv(width, h, w), save: same bytes.
TEST_F(JpegFiles, ConverterIsTheChainOfSteps) {
    const QString src = WriteJpeg(QStringLiteral("photo.jpg"), 2400, 1600);
    const QString dst = Folder() + QStringLiteral("Temp/Strevia_Temp_photo.jpg");
    ASSERT_EQ(ConvertJPEGFile(src, dst, 1920, 1080, 100, false, false, false),
              ConvertResult::Written);

    QImage loaded;
    ASSERT_TRUE(LoadJPEGFile(loaded, Folder(), QStringLiteral("photo.jpg")));
    ASSERT_TRUE(
        SaveJPEGFile(Resampled(loaded, 1920, 1280), Folder(), QStringLiteral("by_hand.jpg"), 100));
    EXPECT_EQ(FileBytes(dst), FileBytes(Folder() + QStringLiteral("by_hand.jpg")));
}

TEST_F(JpegFiles, ConverterFailures) {
    const QString src = WriteJpeg(QStringLiteral("photo.jpg"), 300, 200);
    const QString dst = Folder() + QStringLiteral("copy.jpg");
    ASSERT_TRUE(Picture(300, 200).save(Folder() + QStringLiteral("photo.png")));

    EXPECT_EQ(ConvertJPEGFile(Folder() + QStringLiteral("missing.jpg"), dst, 100, 100, 90, false,
                              false, false),
              ConvertResult::SourceUnreadable);
    EXPECT_EQ(ConvertJPEGFile(Folder() + QStringLiteral("photo.png"), dst, 100, 100, 90, false,
                              false, false),
              ConvertResult::SourceUnreadable);
    EXPECT_EQ(ConvertJPEGFile(src, Folder() + QStringLiteral("photo.jpg/sub/copy.jpg"), 100, 100,
                              90, false, false, false),
              ConvertResult::FolderUnavailable);
    // Before the first video frame the width is 0: there is nothing to scale to.
    EXPECT_EQ(ConvertJPEGFile(src, dst, 0, 0, 100, false, false, false),
              ConvertResult::NothingToWrite);
    EXPECT_EQ(ConvertJPEGFile(src, dst, 100, 0, 100, false, false, true),
              ConvertResult::NothingToWrite);
    EXPECT_FALSE(QFileInfo::exists(dst));
    // A destination without a folder part is the caller's error.
    EXPECT_THROW(
        ConvertJPEGFile(src, QStringLiteral("copy.jpg"), 100, 100, 90, false, false, false),
        ImageError);
    // A picture that scales to less than one row still gets one.
    const QString strip = WriteJpeg(QStringLiteral("strip.jpg"), 3000, 2);
    ASSERT_EQ(ConvertJPEGFile(strip, dst, 100, 100, 90, false, false, false),
              ConvertResult::Written);
    QImage written;
    ASSERT_TRUE(LoadJPEGFile(written, Folder(), QStringLiteral("copy.jpg")));
    EXPECT_EQ(written.size(), QSize(100, 1));
}

TEST_F(JpegFiles, TempCopyLiesInTheApplicationDataTempFolder) {
    EXPECT_EQ(TempJPEGCopyPath(QStringLiteral("/media/shows/back.jpg")),
              GetUserDataFolder(QString()) + QStringLiteral("Temp/Strevia_Temp_back.jpg"));
    EXPECT_TRUE(TempJPEGCopyPath(QStringLiteral("back.jpg")).startsWith(m_home.DataHome()));
}
