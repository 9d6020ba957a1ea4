// Fitting a picture into a 16:9 frame, and the file-to-file JPEG converter.

#include "util/helpers.h"
#include "util/image/image_tools.h"
#include "util/muldiv.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace quorvel {

namespace {

constexpr double kWidescreenFactor = 16.0 / 9.0;      // 1.7777777777777777
constexpr double kInverseWidescreenFactor = 9.0 / 16; // 0.5625
constexpr int kHalvingWidth = 800;    // working copies of wider pictures are halved before blurring
constexpr double kNarrowRatio = 1.75; // below: bands left and right
constexpr double kWideRatio = 1.8;    // above: bands at the top and bottom
constexpr double kConvertNarrowRatio = 1.72; // the converter fits at or below this ratio
constexpr double kConvertWideRatio = 1.82;   // ... and at or above this one
constexpr float kConvertBlurRadius = 10.0f;
constexpr int kBytesPerPixel = 3;

int Trunc(double value) {
    return static_cast<int>(value);
}

// Copies src unscaled into dst with its top-left corner at (left, top); the caller keeps it inside.
void CopyInto(const QImage& src, QImage& dst, int left, int top) {
    const auto rowBytes = static_cast<std::size_t>(src.width()) * kBytesPerPixel;
    for (int y = 0; y < src.height(); ++y) {
        std::memcpy(dst.scanLine(top + y) + static_cast<std::ptrdiff_t>(left) * kBytesPerPixel,
                    src.constScanLine(y), rowBytes);
    }
}

// The folder part (with its trailing delimiter) and the name part of a path.
struct SplitPath {
    QString folder;
    QString name;
};

SplitPath SplitFolderAndName(const QString& path) {
#ifdef _WIN32
    const qsizetype cut =
        std::max({path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'), path.lastIndexOf(u':')}) + 1;
#else
    const qsizetype cut = path.lastIndexOf(u'/') + 1;
#endif
    return {path.left(cut), path.mid(cut)};
}

} // namespace

void FitToWidescreen(const QImage& srcImage, QImage& dst, float radius) {
    const QImage src = ToBitmap24(srcImage);
    if (src.isNull()) {
        dst = QImage();
        return;
    }
    const int srcWidth = src.width();
    const int srcHeight = src.height();

    const double ratio = static_cast<double>(srcWidth) / srcHeight;
    if (ratio < kNarrowRatio) {
        dst = QImage(Trunc(srcHeight * kWidescreenFactor), srcHeight, QImage::Format_BGR888);
    } else if (ratio > kWideRatio) {
        dst = QImage(srcWidth, Trunc(srcWidth * kInverseWidescreenFactor), QImage::Format_BGR888);
    } else {
        dst = src.copy(); // already close enough to 16:9
        return;
    }
    if (dst.isNull()) {
        return;
    }

    // The bands show a blurred copy stretched over the whole frame; the blur runs on a halved
    // copy of wide pictures. The stretch covers every pixel, so the frame needs no black fill
    // first; a copy halved to nothing (a picture one pixel high) leaves the frame black.
    QImage working;
    if (srcWidth > kHalvingWidth) {
        working = QImage(srcWidth / 2, srcHeight / 2, QImage::Format_BGR888);
        ResampleBitmap(src, working);
    } else {
        working = src.copy();
    }
    BlurBorderBands(working, radius);
    ResampleBitmap(working, dst);

    const double halfDstWidth = dst.width() / 2.0;
    const double halfDstHeight = dst.height() / 2.0;
    const double halfSrcWidth = srcWidth / 2.0;
    const double halfSrcHeight = srcHeight / 2.0;
    const int left = Trunc(halfDstWidth - halfSrcWidth);
    const int top = Trunc(halfDstHeight - halfSrcHeight);
    CopyInto(src, dst, std::max(left, 0), std::max(top, 0));
}

ConvertResult ConvertJPEGFile(const QString& srcFile, const QString& dstFile, int width, int height,
                              int quality, bool enlarge, bool fitWidescreen, bool exactSize) {
    const SplitPath source = SplitFolderAndName(srcFile);
    QImage picture;
    if (!LoadJPEGFile(picture, source.folder, source.name)) {
        return ConvertResult::SourceUnreadable;
    }
    if (width <= 0 || (exactSize && height <= 0)) {
        return ConvertResult::NothingToWrite;
    }

    if (exactSize) {
        QImage resized(width, height, QImage::Format_BGR888);
        if (resized.isNull()) {
            throw ImageError("the requested size is too large");
        }
        ResampleBitmap(picture, resized);
        picture = resized;
    } else if (fitWidescreen && picture.height() > 0) {
        const double ratio = static_cast<double>(picture.width()) / picture.height();
        if (ratio <= kConvertNarrowRatio || ratio >= kConvertWideRatio) {
            QImage fitted;
            FitToWidescreen(picture, fitted, kConvertBlurRadius);
            if (fitted.isNull()) {
                throw ImageError("the 16:9 frame would be too large");
            }
            picture = fitted;
        }
    }

    const bool write = picture.width() > width || exactSize || (picture.width() < width && enlarge);
    if (!write) {
        return ConvertResult::NothingToWrite;
    }

    // A very wide picture could round to no rows at all; one row is the least a JPEG can hold.
    // Computed in 64 bits: a height beyond the 32-bit range is an error, not MulDiv's -1.
    const std::int64_t scaledHeight =
        std::max<std::int64_t>(1, MulDiv64(width, picture.height(), picture.width()));
    QImage scaled;
    if (scaledHeight <= std::numeric_limits<int>::max()) {
        scaled = QImage(width, static_cast<int>(scaledHeight), QImage::Format_BGR888);
    }
    if (scaled.isNull()) {
        throw ImageError("the converted picture would be too large");
    }
    ResampleBitmap(picture, scaled);

    const SplitPath destination = SplitFolderAndName(dstFile);
    if (!SaveJPEGFile(scaled, destination.folder, destination.name, quality)) {
        return ConvertResult::FolderUnavailable;
    }
    return ConvertResult::Written;
}

QString TempJPEGCopyPath(const QString& srcFile) {
    return GetUserDataFolder(QString()) + QStringLiteral("Temp") + kPathDelimiter +
           QStringLiteral("Strevia_Temp_") + QFileInfo(srcFile).fileName();
}

} // namespace quorvel
