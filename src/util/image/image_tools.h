#pragma once
// Image tools on 24-bit bitmaps: exact bilinear resampling in 16.16 fixed point, JPEG files through
// TurboJPEG, a cone blur computed only where it stays visible, fitting into a 16:9 frame with
// blurred bands, and the file-to-file JPEG converter that the preview uses for pictures it cannot
// open itself.
//
// Bitmaps are QImage. Every function first brings the bitmaps it computes on to
// QImage::Format_BGR888 (3 bytes per pixel: blue, green, red; an alpha channel is dropped). The
// arithmetic is fixed to the bit: any two builds, with or without the vector paths and with any
// number of worker threads, produce the same bytes.

#include <QImage>
#include <QString>

#include <stdexcept>
#include <vector>

namespace quorvel {

// Raised when a JPEG cannot be encoded or written, or when the destination has no folder part.
class ImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The bitmap as Format_BGR888 (a shallow copy when it already is).
QImage ToBitmap24(const QImage& image);

// Resizes src to dst's width and height by bilinear interpolation in 16.16 fixed point; dst's
// size must be set before the call and its pixels are replaced. A same-size call copies src.
// An empty src leaves a non-empty dst black.
void ResampleBitmap(const QImage& src, QImage& dst);

// Decodes folder + fileName (folder ends in a delimiter or is empty) into bitmap. False, with the
// bitmap unchanged, for an empty name or any error while reading or decoding.
bool LoadJPEGFile(QImage& bitmap, const QString& folder, const QString& fileName);

// Creates folder and its missing parents, then writes bitmap as a JPEG of the given quality
// (1 to 100, clamped) to folder + fileName, replacing a file of that name. The file appears
// whole or not at all. If the folder cannot be created nothing is written and false is returned.
// Throws ImageError for an empty folder or when encoding or writing fails.
bool SaveJPEGFile(const QImage& bitmap, const QString& folder, const QString& fileName,
                  int quality);

// A square n x n cone of 32-bit float weights, n odd: weight = r - distance from the centre,
// with r = radius + 1, and 0 where that is negative.
struct ConeKernel {
    int size = 0;
    std::vector<float> weights; // row-major, size * size

    float At(int row, int column) const {
        return weights[static_cast<std::size_t>(row) * static_cast<std::size_t>(size) +
                       static_cast<std::size_t>(column)];
    }
};

// n is the smallest odd width that holds every positive weight on the axes. A radius of -1 or less
// (or NaN) gives the single weight 0; the radius is limited to kMaxConeRadius.
inline constexpr float kMaxConeRadius = 1000.0f;
ConeKernel BuildConeKernel(float radius);

// Blurs, in place, the bands of bitmap that stay visible once it is stretched behind a centred
// 16:9 picture (plus a margin of 10 pixels); every other pixel keeps its value. The radius is
// clamped to 1 .. 50 (0, negative or NaN give 1). The window is cut at the picture's edges and
// renormalised by the weights actually used.
void BlurBorderBands(QImage& bitmap, float radius);

// dst becomes a 16:9 frame with src centred at its own size and bands that show a blurred,
// stretched copy of src (for ratios outside 1.75 .. 1.8; inside them dst is a copy of src).
// An empty src gives an empty dst.
void FitToWidescreen(const QImage& src, QImage& dst, float radius);

enum class ConvertResult {
    Written,          // dstFile holds the converted picture
    SourceUnreadable, // srcFile is missing, unreadable or not a JPEG; nothing written
    NothingToWrite,   // the picture is not wider than width (and enlarge is off); nothing written
    FolderUnavailable // dstFile's folder could not be created; nothing written
};

// Loads srcFile, optionally forces it to width x height (exactSize) or fits it to 16:9 with
// radius 10 (fitWidescreen, for ratios at most 1.72 or at least 1.82), and writes it scaled to
// `width` with its aspect ratio kept, as a JPEG of the given quality. The picture is written only
// when it is wider than width, or exactSize is set, or it is narrower and enlarge is set.
// Throws ImageError when the JPEG cannot be encoded or written (or dstFile has no folder part).
ConvertResult ConvertJPEGFile(const QString& srcFile, const QString& dstFile, int width, int height,
                              int quality, bool enlarge, bool fitWidescreen, bool exactSize);

// Where the preview keeps the readable copy of a JPEG picture it could not open:
// <application data>/<executable>/Temp/Strevia_Temp_<file name of srcFile>.
QString TempJPEGCopyPath(const QString& srcFile);

} // namespace quorvel
