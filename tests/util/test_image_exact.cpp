// The image tools' arithmetic against a plain, line-by-line version of it: the fast paths (column
// tables, vector lanes, worker threads) must give the same bytes on random pictures of random
// sizes, and the fixed points of the arithmetic must hold.

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "util/image/blur_paths.h"
#include "util/image/image_tools.h"
#include "util/muldiv.h"

using namespace quorvel;

namespace {

// ---- The plain versions: one pixel at a time, exactly as the arithmetic is written down. ----

QImage ReferenceResample(const QImage& src, int dstWidth, int dstHeight) {
    QImage dst(dstWidth, dstHeight, QImage::Format_BGR888);
    const int srcWidth = src.width();
    const int srcHeight = src.height();
    const auto xStep = static_cast<std::uint32_t>(MulDiv(srcWidth - 1, 65536, dstWidth));
    const auto yStep = static_cast<std::uint32_t>(MulDiv(srcHeight - 1, 65536, dstHeight));
    std::uint32_t sy = 0;
    for (int y = 0; y < dstHeight; ++y, sy += yStep) {
        const int row0 = static_cast<int>(sy >> 16);
        const int row1 = row0 == srcHeight - 1 ? row0 : row0 + 1;
        const int fy = static_cast<int>(sy & 65535);
        const int wy0 = 65536 - fy;
        const int wy1 = fy + 1;
        const std::uint8_t* r0 = src.constScanLine(row0);
        const std::uint8_t* r1 = src.constScanLine(row1);
        std::uint8_t* out = dst.scanLine(y);
        std::uint32_t sx = 0;
        for (int x = 0; x < dstWidth; ++x, sx += xStep) {
            const int ix = static_cast<int>(sx >> 16);
            const int ix1 = std::min(ix + 1, srcWidth - 1);
            const int fx = static_cast<int>(sx & 65535);
            const int a = MulDiv(fx, wy0, 65536);
            const int b = MulDiv(fx, wy1, 65536);
            for (int c = 0; c < 3; ++c) {
                const std::int64_t sum =
                    std::int64_t{r0[3 * ix + c]} * (wy0 - a) + std::int64_t{r0[3 * ix1 + c]} * a +
                    std::int64_t{r1[3 * ix + c]} * (wy1 - b) + std::int64_t{r1[3 * ix1 + c]} * b;
                out[3 * x + c] = static_cast<std::uint8_t>(sum >> 16);
            }
        }
    }
    return dst;
}

void ReferenceBlur(QImage& bitmap, float radius) {
    if (radius <= 0) {
        radius = 1;
    }
    if (radius >= 50) {
        radius = 50;
    }
    const ConeKernel kernel = BuildConeKernel(radius);
    const int half = (kernel.size - 1) / 2;
    const QImage copy = bitmap.copy();
    const int w = bitmap.width();
    const int h = bitmap.height();
    std::vector<std::vector<bool>> compute(h, std::vector<bool>(w, false));
    if (w > std::nearbyint(h * 1.7777777777777777)) {
        const int c = static_cast<int>(std::nearbyint(w * 0.5625 - h));
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                compute[y][x] = y < c / 2 + 10 || y > h - c / 2 - 10;
            }
        }
    } else {
        const int c = static_cast<int>(std::nearbyint(h * 1.7777777777777777 - w));
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                compute[y][x] = x < c / 2 + 10 || x > w - c / 2 - 10;
            }
        }
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!compute[y][x]) {
                continue;
            }
            float weightSum = 0;
            float sums[3] = {0, 0, 0};
            for (int sy = std::max(0, y - half); sy <= std::min(h - 1, y + half); ++sy) {
                for (int sx = std::max(0, x - half); sx <= std::min(w - 1, x + half); ++sx) {
                    const float weight = kernel.At(sy - y + half, sx - x + half);
                    weightSum += weight;
                    for (int c = 0; c < 3; ++c) {
                        const double product =
                            static_cast<double>(weight) * copy.constScanLine(sy)[3 * sx + c];
                        sums[c] = static_cast<float>(sums[c] + product);
                    }
                }
            }
            for (int c = 0; c < 3; ++c) {
                bitmap.scanLine(y)[3 * x + c] = static_cast<std::uint8_t>(
                    std::nearbyint(static_cast<double>(sums[c]) / weightSum));
            }
        }
    }
}

// ---- Pictures ----

QImage RandomPicture(std::mt19937& random, int width, int height) {
    QImage image(width, height, QImage::Format_BGR888);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* line = image.scanLine(y);
        for (int i = 0; i < 3 * width; ++i) {
            line[i] = static_cast<std::uint8_t>(byte(random));
        }
    }
    return image;
}

// Smooth content with a few hard edges, closer to a photograph than noise is.
QImage GradientPicture(int width, int height) {
    QImage image(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* line = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            line[3 * x] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
            line[3 * x + 1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));
            line[3 * x + 2] = static_cast<std::uint8_t>(((x / 7 + y / 5) % 2) * 255);
        }
    }
    return image;
}

QImage Resampled(const QImage& src, int width, int height) {
    QImage dst(width, height, QImage::Format_BGR888);
    ResampleBitmap(src, dst);
    return dst;
}

// QImage's operator== compares pixels only; this also names the first differing byte.
::testing::AssertionResult SameBytes(const QImage& actual, const QImage& expected) {
    if (actual.size() != expected.size() || actual.format() != expected.format()) {
        return ::testing::AssertionFailure() << "size or format differs";
    }
    for (int y = 0; y < actual.height(); ++y) {
        for (int i = 0; i < 3 * actual.width(); ++i) {
            if (actual.constScanLine(y)[i] != expected.constScanLine(y)[i]) {
                return ::testing::AssertionFailure()
                       << "first difference at x=" << i / 3 << " y=" << y << " channel " << i % 3
                       << ": " << int{actual.constScanLine(y)[i]} << " instead of "
                       << int{expected.constScanLine(y)[i]};
            }
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(ResampleBitmap, MatchesPlainArithmeticOnRandomPictures) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> size(1, 97);
    for (int round = 0; round < 150; ++round) {
        const int srcWidth = size(random);
        const int srcHeight = size(random);
        const int dstWidth = size(random);
        const int dstHeight = size(random);
        const QImage src = RandomPicture(random, srcWidth, srcHeight);
        ASSERT_TRUE(SameBytes(Resampled(src, dstWidth, dstHeight),
                              ReferenceResample(src, dstWidth, dstHeight)))
            << srcWidth << "x" << srcHeight << " -> " << dstWidth << "x" << dstHeight;
    }
}

// Large enough that the rows are split over worker threads, at the sizes the tools really use.
TEST(ResampleBitmap, MatchesPlainArithmeticAtWorkingSizes) {
    std::mt19937 random(7);
    const QImage src = RandomPicture(random, 1283, 721);
    for (const QSize size : {QSize(1920, 1080), QSize(640, 360), QSize(2560, 1441)}) {
        EXPECT_TRUE(SameBytes(Resampled(src, size.width(), size.height()),
                              ReferenceResample(src, size.width(), size.height())))
            << size.width() << "x" << size.height();
    }
}

TEST(ResampleBitmap, SameSizeIsAnIdenticalCopy) {
    std::mt19937 random(1);
    const QImage src = RandomPicture(random, 37, 23);
    QImage dst(37, 23, QImage::Format_BGR888);
    dst.fill(Qt::red);
    ResampleBitmap(src, dst);
    EXPECT_TRUE(SameBytes(dst, src));
    dst.scanLine(0)[0] ^= 0xFF; // a copy, not a view of src
    EXPECT_NE(dst.constScanLine(0)[0], src.constScanLine(0)[0]);
}

// The row weights add up to 65537 so that v * 65537 >> 16 == v: with 65536 a uniform 255 would
// come out as 254 wherever the weights are split.
TEST(ResampleBitmap, UniformPictureStaysUniformAtEverySize) {
    const QSize sizes[] = {{1, 1}, {1, 9}, {9, 1}, {7, 5}, {64, 48}, {333, 17}};
    for (const int value : {0, 1, 128, 254, 255}) {
        QImage src(50, 30, QImage::Format_BGR888);
        src.fill(QColor(value, value, value));
        for (const QSize size : sizes) {
            const QImage dst = Resampled(src, size.width(), size.height());
            for (int y = 0; y < dst.height(); ++y) {
                const std::uint8_t* line = dst.constScanLine(y);
                ASSERT_TRUE(std::all_of(line, line + 3 * dst.width(),
                                        [&](std::uint8_t b) { return b == value; }))
                    << "value " << value << " at " << size.width() << "x" << size.height();
            }
        }
    }
}

// A single destination row or column sits at source position 0: a single column is column 0
// resampled alone, a single row reads rows 0 and 1 only (row 1 with the weight 1 of 65537).
TEST(ResampleBitmap, SingleRowAndColumnSampleTheFirstLine) {
    std::mt19937 random(2);
    const QImage src = GradientPicture(40, 30);
    EXPECT_TRUE(SameBytes(Resampled(src, 1, 17), Resampled(src.copy(0, 0, 1, 30), 1, 17)));

    QImage changedBelow = src.copy();
    const QImage noise = RandomPicture(random, 40, 28);
    for (int y = 2; y < 30; ++y) {
        std::copy_n(noise.constScanLine(y - 2), 3 * 40, changedBelow.scanLine(y));
    }
    EXPECT_TRUE(SameBytes(Resampled(changedBelow, 23, 1), Resampled(src, 23, 1)));
    EXPECT_TRUE(SameBytes(Resampled(src, 1, 1), src.copy(0, 0, 1, 1)));
}

TEST(ResampleBitmap, OtherFormatsAreBroughtTo24Bits) {
    std::mt19937 random(3);
    const QImage src = RandomPicture(random, 31, 19);
    QImage dst(17, 11, QImage::Format_ARGB32);
    ResampleBitmap(src.convertToFormat(QImage::Format_RGB32), dst);
    EXPECT_EQ(dst.format(), QImage::Format_BGR888);
    EXPECT_TRUE(SameBytes(dst, ReferenceResample(src, 17, 11)));
}

TEST(ResampleBitmap, EmptySourceLeavesDestinationBlack) {
    QImage dst(4, 3, QImage::Format_BGR888);
    dst.fill(Qt::white);
    ResampleBitmap(QImage(), dst);
    QImage black(4, 3, QImage::Format_BGR888);
    black.fill(Qt::black);
    EXPECT_TRUE(SameBytes(dst, black));
}

TEST(BuildConeKernel, SizesAndWeights) {
    struct Case {
        float radius;
        int size;
    };
    for (const Case c : {Case{10.0f, 21}, Case{10.5f, 23}, Case{0.0f, 1}, Case{1.0f, 3},
                         Case{50.0f, 101}, Case{0.25f, 3}, Case{-1.0f, 1}, Case{-7.0f, 1}}) {
        const ConeKernel kernel = BuildConeKernel(c.radius);
        EXPECT_EQ(kernel.size, c.size) << "radius " << c.radius;
        EXPECT_EQ(kernel.weights.size(), static_cast<std::size_t>(c.size * c.size));
    }
    const ConeKernel k = BuildConeKernel(10.0f);
    EXPECT_EQ(k.At(10, 10), 11.0f); // the centre weight is r
    EXPECT_EQ(k.At(10, 0), 1.0f);   // 1 at the middle of each edge
    EXPECT_EQ(k.At(0, 10), 1.0f);
    EXPECT_EQ(k.At(10, 15), 6.0f); // falling by 1 per pixel
    EXPECT_EQ(k.At(0, 0), 0.0f);   // corners are cut to 0
    EXPECT_EQ(k.At(3, 4), static_cast<float>(11.0 - std::sqrt(36.0 + 49.0)));
    // Every positive weight on the axes fits: the next size down would lose some.
    const ConeKernel odd = BuildConeKernel(10.5f);
    EXPECT_GT(odd.At(11, 0), 0.0f);
    EXPECT_EQ(BuildConeKernel(-1.0f).At(0, 0), 0.0f);
}

// Every code path of the blur (scalar, 16 and 32 vector lanes, where the processor has them).
constexpr image_detail::VectorLevel kBlurPaths[] = {image_detail::VectorLevel::Scalar,
                                                    image_detail::VectorLevel::Avx2,
                                                    image_detail::VectorLevel::Avx512};

TEST(BlurBorderBands, MatchesPlainArithmeticOnRandomPictures) {
    std::mt19937 random(99);
    std::uniform_int_distribution<int> size(1, 120);
    std::uniform_real_distribution<float> radius(-2.0f, 14.0f);
    for (int round = 0; round < 30; ++round) {
        const QImage src = RandomPicture(random, size(random), size(random));
        const float r = radius(random);
        QImage plain = src.copy();
        ReferenceBlur(plain, r);
        for (const image_detail::VectorLevel path : kBlurPaths) {
            QImage fast = src.copy();
            image_detail::BlurBorderBandsAt(fast, r, path);
            ASSERT_TRUE(SameBytes(fast, plain)) << src.width() << "x" << src.height() << " r=" << r
                                                << " path " << static_cast<int>(path);
        }
    }
}

// Wide and narrow pictures large enough for whole vector blocks, worker threads and untouched
// middles, up to the largest kernel.
TEST(BlurBorderBands, MatchesPlainArithmeticOnBandedPictures) {
    std::mt19937 random(5);
    struct Case {
        int width, height;
        float radius;
    };
    for (const Case c : {Case{300, 120, 10.0f}, Case{120, 200, 10.0f}, Case{400, 80, 3.5f},
                         Case{240, 135, 10.0f}, Case{170, 12, 50.0f}}) {
        const QImage src = RandomPicture(random, c.width, c.height);
        QImage plain = src.copy();
        ReferenceBlur(plain, c.radius);
        for (const image_detail::VectorLevel path : kBlurPaths) {
            QImage fast = src.copy();
            image_detail::BlurBorderBandsAt(fast, c.radius, path);
            EXPECT_TRUE(SameBytes(fast, plain)) << c.width << "x" << c.height << " r=" << c.radius
                                                << " path " << static_cast<int>(path);
        }
    }
}

// Only the bands that stay visible are blurred, and the band bounds belong to the middle.
TEST(BlurBorderBands, LeavesTheMiddleUntouched) {
    std::mt19937 random(11);
    // 400 x 200 is wider than 16:9: c = Round(400 * 0.5625 - 200) = 25, so the rows above
    // 25 div 2 + 10 = 22 and below 200 - 12 - 10 = 178 are blurred.
    const QImage wide = RandomPicture(random, 400, 200);
    QImage rows = wide.copy();
    BlurBorderBands(rows, 2.0f);
    EXPECT_TRUE(SameBytes(rows.copy(0, 22, 400, 157), wide.copy(0, 22, 400, 157)));
    for (const int y : {21, 179}) {
        EXPECT_FALSE(SameBytes(rows.copy(0, y, 400, 1), wide.copy(0, y, 400, 1))) << "row " << y;
    }

    // 160 x 90 is 16:9 exactly: c = 0, so the columns left of 10 and right of 150 are blurred.
    const QImage exact = RandomPicture(random, 160, 90);
    QImage columns = exact.copy();
    BlurBorderBands(columns, 2.0f);
    EXPECT_TRUE(SameBytes(columns.copy(10, 0, 141, 90), exact.copy(10, 0, 141, 90)));
    for (const int x : {9, 151}) {
        EXPECT_FALSE(SameBytes(columns.copy(x, 0, 1, 90), exact.copy(x, 0, 1, 90)))
            << "column " << x;
    }
}

// The clamp: 0 or less blurs like radius 1 (n = 3), 50 or more like 50 (n = 101).
TEST(BlurBorderBands, RadiusIsClamped) {
    std::mt19937 random(13);
    const QImage src = RandomPicture(random, 30, 50);
    const auto blurred = [&](float radius) {
        QImage image = src.copy();
        BlurBorderBands(image, radius);
        return image;
    };
    EXPECT_TRUE(SameBytes(blurred(0.0f), blurred(1.0f)));
    EXPECT_TRUE(SameBytes(blurred(-5.0f), blurred(1.0f)));
    EXPECT_TRUE(SameBytes(blurred(std::nanf("")), blurred(1.0f)));
    EXPECT_FALSE(SameBytes(blurred(1.5f), blurred(1.0f)));
    EXPECT_TRUE(SameBytes(blurred(80.0f), blurred(50.0f)));
}

TEST(BlurBorderBands, UniformPictureStaysUniform) {
    QImage image(70, 120, QImage::Format_BGR888);
    image.fill(QColor(255, 7, 200));
    const QImage before = image.copy();
    BlurBorderBands(image, 10.0f);
    EXPECT_TRUE(SameBytes(image, before));
}
