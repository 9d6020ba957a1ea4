// Bilinear resampling in 16.16 fixed point.
//
// Positions advance by steps of MulDiv(source size - 1, 65536, destination size). The row weights
// 65536 - fy and fy + 1 add up to 65537, so a uniform area keeps its value (v * 65537 >> 16 == v)
// and no sum can exceed 255 after the shift. Past the last column or row the last one stands in.

#include "util/image/image_tools.h"
#include "util/image/parallel_rows.h"
#include "util/muldiv.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quorvel {

QImage ToBitmap24(const QImage& image) {
    if (image.format() == QImage::Format_BGR888) {
        return image;
    }
    return image.convertToFormat(QImage::Format_BGR888);
}

namespace {

constexpr int kBytesPerPixel = 3;
constexpr std::uint64_t kFractionMask = 0xFFFF;
constexpr int kMinRowsPerWorker = 64;

// Where destination column x samples the source: the byte offsets of its two columns and the
// fraction between them.
struct ColumnSample {
    std::uint32_t left;
    std::uint32_t right;
    std::uint32_t fraction;
};

// The 16.16 step; computed in 64 bits so that sources taller or wider than 32768 pixels (where
// the 32-bit MulDiv overflows) still advance correctly. Below that it equals MulDiv exactly.
std::uint64_t FixedStep(int sourceSize, int destinationSize) {
    return static_cast<std::uint64_t>(MulDiv64(sourceSize - 1, 65536, destinationSize));
}

std::vector<ColumnSample> ColumnSamples(int sourceWidth, int destinationWidth) {
    std::vector<ColumnSample> samples(static_cast<std::size_t>(destinationWidth));
    const std::uint64_t step = FixedStep(sourceWidth, destinationWidth);
    const auto last = static_cast<std::uint64_t>(sourceWidth - 1);
    std::uint64_t position = 0;
    for (ColumnSample& sample : samples) {
        const std::uint64_t ix = position >> 16;
        sample.left = static_cast<std::uint32_t>(std::min(ix, last) * kBytesPerPixel);
        sample.right = static_cast<std::uint32_t>(std::min(ix + 1, last) * kBytesPerPixel);
        sample.fraction = static_cast<std::uint32_t>(position & kFractionMask);
        position += step;
    }
    return samples;
}

// One destination row from source rows row0 and row1 with row weights wy0 + wy1 == 65537.
void ResampleRow(const std::uint8_t* row0, const std::uint8_t* row1, std::uint32_t wy0,
                 std::uint32_t wy1, const ColumnSample* samples, int width, std::uint8_t* out) {
    for (int x = 0; x < width; ++x) {
        const ColumnSample s = samples[x];
        // MulDiv(fx, w, 65536) for non-negative values: the products stay below 2^32.
        const std::uint32_t a = (s.fraction * wy0 + 32768) >> 16;
        const std::uint32_t b = (s.fraction * wy1 + 32768) >> 16;
        const std::uint32_t w00 = wy0 - a;
        const std::uint32_t w10 = wy1 - b;
        const std::uint8_t* p00 = row0 + s.left;
        const std::uint8_t* p01 = row0 + s.right;
        const std::uint8_t* p10 = row1 + s.left;
        const std::uint8_t* p11 = row1 + s.right;
        for (int c = 0; c < kBytesPerPixel; ++c) {
            const std::uint32_t sum = p00[c] * w00 + p01[c] * a + p10[c] * w10 + p11[c] * b;
            out[c] = static_cast<std::uint8_t>(sum >> 16);
        }
        out += kBytesPerPixel;
    }
}

} // namespace

void ResampleBitmap(const QImage& srcImage, QImage& dst) {
    const QImage src = ToBitmap24(srcImage);
    const int dstWidth = dst.width();
    const int dstHeight = dst.height();
    if (src.size() == dst.size()) {
        dst = src.copy();
        return;
    }
    if (dst.format() != QImage::Format_BGR888) {
        dst = QImage(dstWidth, dstHeight, QImage::Format_BGR888);
    }
    if (dst.isNull()) {
        return;
    }
    if (src.isNull()) {
        dst.fill(Qt::black);
        return;
    }

    const std::vector<ColumnSample> samples = ColumnSamples(src.width(), dstWidth);
    const std::uint64_t yStep = FixedStep(src.height(), dstHeight);
    const auto lastRow = static_cast<std::uint64_t>(src.height() - 1);
    // Plain pointers and strides: the workers must not touch QImage's shared state.
    const std::uint8_t* srcBits = src.constBits();
    const auto srcStride = static_cast<std::size_t>(src.bytesPerLine());
    std::uint8_t* dstBits = dst.bits();
    const auto dstStride = static_cast<std::size_t>(dst.bytesPerLine());

    image_detail::ParallelRows(dstHeight, kMinRowsPerWorker, [&](int firstRow, int endRow) {
        for (int y = firstRow; y < endRow; ++y) {
            const std::uint64_t sy = static_cast<std::uint64_t>(y) * yStep;
            const std::uint64_t iy = std::min(sy >> 16, lastRow);
            const std::uint64_t iy1 = std::min(iy + 1, lastRow);
            const auto fy = static_cast<std::uint32_t>(sy & kFractionMask);
            ResampleRow(srcBits + iy * srcStride, srcBits + iy1 * srcStride, 65536 - fy, fy + 1,
                        samples.data(), dstWidth,
                        dstBits + static_cast<std::size_t>(y) * dstStride);
        }
    });
}

} // namespace quorvel
