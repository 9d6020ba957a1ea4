// The cone kernel and the blur of the bands that stay visible around a centred 16:9 picture.
//
// The arithmetic, which every path below follows to the bit:
// - kernel weights are 32-bit floats, r - distance with the distance in double precision;
// - for each output pixel the window's taps are visited row by row, left to right; the weight sum
//   is a float sum, each channel sum is float(double(sum) + double(weight) * value);
// - each channel is Round(double(channel sum) / double(weight sum)), ties to even.
// Taps of weight 0 change no sum (x + 0 is exact), so they are skipped; taps outside the picture
// are left out, which renormalises the window at the edges. A float weight times a byte is exact
// in double precision, so a compiler that fuses the multiply and the add gets the same sums.
//
// The vector paths run one output pixel per lane, each lane doing the scalar sequence of
// operations. The source planes carry zero padding around the picture: a tap that falls outside
// it reads 0, adds an exact 0 to the channel sums, and is masked out of the lane's weight sum.

#include "util/image/blur_paths.h"
#include "util/image/image_tools.h"
#include "util/image/parallel_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define QUORVEL_BLUR_X86 1
#endif

namespace quorvel {

namespace {
constexpr int kBytesPerPixel = 3;
constexpr float kMinBlurRadius = 1.0f;
constexpr float kMaxBlurRadius = 50.0f;
constexpr int kBandMargin = 10;                       // pixels blurred beyond the visible bands
constexpr double kWidescreenFactor = 16.0 / 9.0;      // 1.7777777777777777
constexpr double kInverseWidescreenFactor = 9.0 / 16; // 0.5625
} // namespace

ConeKernel BuildConeKernel(float radius) {
    radius = std::min(radius, kMaxConeRadius);
    const float r = radius + 1.0f;
    ConeKernel kernel;
    if (!(r > 0.0f)) {
        kernel.size = 1;
        kernel.weights.assign(1, 0.0f);
        return kernel;
    }
    const auto whole = static_cast<int>(r); // Trunc
    kernel.size = static_cast<float>(whole) == r ? 2 * whole - 1 : 2 * whole + 1;
    const int centre = kernel.size / 2;
    kernel.weights.resize(static_cast<std::size_t>(kernel.size) *
                          static_cast<std::size_t>(kernel.size));
    for (int i = 0; i < kernel.size; ++i) {
        for (int j = 0; j < kernel.size; ++j) {
            const double dx = j - centre;
            const double dy = i - centre;
            const double weight = static_cast<double>(r) - std::sqrt(dx * dx + dy * dy);
            kernel.weights[static_cast<std::size_t>(i * kernel.size + j)] =
                weight < 0.0 ? 0.0f : static_cast<float>(weight);
        }
    }
    return kernel;
}

namespace {

// The nonzero weights of a kernel in the order the sums visit them.
struct Tap {
    int dy;
    int dx;
    float weight;
};

constexpr int kMaxLanes = 32;

// The source copy, one plane of floats per channel (exact for 0..255) with `pad` zero columns on
// both sides of every row, read by every worker.
struct BlurSource {
    int width = 0;
    int height = 0;
    int pad = 0;
    std::size_t stride = 0;
    std::unique_ptr<float[]> planes[kBytesPerPixel];

    // Column x of row y; x may lie up to `pad` columns outside the picture.
    const float* At(int channel, int y, int x) const {
        return planes[channel].get() + static_cast<std::size_t>(y) * stride +
               static_cast<std::size_t>(pad + x);
    }
};

BlurSource PaddedPlanes(const QImage& bitmap, int pad) {
    BlurSource source;
    source.width = bitmap.width();
    source.height = bitmap.height();
    source.pad = pad;
    source.stride = static_cast<std::size_t>(source.width) + 2 * static_cast<std::size_t>(pad);
    for (auto& plane : source.planes) {
        plane.reset(new float[source.stride * static_cast<std::size_t>(source.height)]);
    }
    const auto padBytes = static_cast<std::size_t>(pad) * sizeof(float);
    image_detail::ParallelRows(source.height, 64, [&](int firstRow, int endRow) {
        for (int y = firstRow; y < endRow; ++y) {
            const std::uint8_t* line = bitmap.constScanLine(y);
            for (int c = 0; c < kBytesPerPixel; ++c) {
                float* row = source.planes[c].get() + static_cast<std::size_t>(y) * source.stride;
                std::memset(row, 0, padBytes);
                std::memset(row + pad + source.width, 0, padBytes);
                for (int x = 0; x < source.width; ++x) {
                    row[pad + x] = line[x * kBytesPerPixel + c];
                }
            }
        }
    });
    return source;
}

float AddProduct(float sum, float weight, float value) {
    return static_cast<float>(static_cast<double>(sum) +
                              static_cast<double>(weight) * static_cast<double>(value));
}

// Round(sum / weightSum), ties to even. The quotient lies in 0 .. 255 (a weighted mean of bytes);
// adding and removing 2^52 rounds it in the current (nearest-even) mode without a library call.
std::uint8_t RoundChannel(float sum, float weightSum) {
    constexpr double kRoundingShift = 4503599627370496.0; // 2^52
    const double quotient = static_cast<double>(sum) / static_cast<double>(weightSum);
    const double rounded = (quotient + kRoundingShift) - kRoundingShift;
    return static_cast<std::uint8_t>(std::clamp(rounded, 0.0, 255.0));
}

// One pixel, any window: taps outside the picture are left out.
void BlurPixel(const BlurSource& source, const std::vector<Tap>& taps, int x, int y,
               std::uint8_t* out) {
    float weightSum = 0.0f;
    float sums[kBytesPerPixel] = {0.0f, 0.0f, 0.0f};
    for (const Tap& tap : taps) {
        const int sy = y + tap.dy;
        const int sx = x + tap.dx;
        if (sy < 0 || sy >= source.height || sx < 0 || sx >= source.width) {
            continue;
        }
        weightSum += tap.weight;
        for (int c = 0; c < kBytesPerPixel; ++c) {
            sums[c] = AddProduct(sums[c], tap.weight, *source.At(c, sy, sx));
        }
    }
    for (int c = 0; c < kBytesPerPixel; ++c) {
        out[c] = RoundChannel(sums[c], weightSum);
    }
}

// The sums of one block of lanes: pixel x0 + i of the row in lane i.
struct LaneSums {
    alignas(64) float channels[kBytesPerPixel][kMaxLanes];
    alignas(64) float weights[kMaxLanes]; // filled only for blocks whose windows the edges cut
};

#ifdef QUORVEL_BLUR_X86
// 16 lanes: 4 vectors of 4 doubles per channel.
template <bool kCutByColumns>
__attribute__((target("avx2"))) void BlurBlockAvx2(const BlurSource& source,
                                                   const std::vector<Tap>& taps, int x0, int y,
                                                   LaneSums& out) {
    __m128 sums[kBytesPerPixel][4];
    for (auto& channel : sums) {
        for (__m128& v : channel) {
            v = _mm_setzero_ps();
        }
    }
    __m256 weightSums[2] = {_mm256_setzero_ps(), _mm256_setzero_ps()};
    const __m256i firstColumns =
        _mm256_add_epi32(_mm256_set1_epi32(x0), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    const __m256i columnLimit = _mm256_set1_epi32(source.width);
    for (const Tap& tap : taps) {
        const int sy = y + tap.dy;
        if (sy < 0 || sy >= source.height) {
            continue;
        }
        const __m256d weight = _mm256_set1_pd(static_cast<double>(tap.weight));
        // Unrolled so that the twelve sums stay in registers.
#pragma GCC unroll 3
        for (int c = 0; c < kBytesPerPixel; ++c) {
            const float* row = source.At(c, sy, x0 + tap.dx);
#pragma GCC unroll 4
            for (int k = 0; k < 4; ++k) {
                const __m256d product =
                    _mm256_mul_pd(_mm256_cvtps_pd(_mm_loadu_ps(row + 4 * k)), weight);
                sums[c][k] = _mm256_cvtpd_ps(_mm256_add_pd(_mm256_cvtps_pd(sums[c][k]), product));
            }
        }
        if constexpr (kCutByColumns) {
            for (int k = 0; k < 2; ++k) {
                const __m256i columns =
                    _mm256_add_epi32(firstColumns, _mm256_set1_epi32(tap.dx + 8 * k));
                const __m256i inside =
                    _mm256_and_si256(_mm256_cmpgt_epi32(columns, _mm256_set1_epi32(-1)),
                                     _mm256_cmpgt_epi32(columnLimit, columns));
                weightSums[k] =
                    _mm256_add_ps(weightSums[k], _mm256_and_ps(_mm256_castsi256_ps(inside),
                                                               _mm256_set1_ps(tap.weight)));
            }
        }
    }
    for (int c = 0; c < kBytesPerPixel; ++c) {
        for (int k = 0; k < 4; ++k) {
            _mm_store_ps(&out.channels[c][4 * k], sums[c][k]);
        }
    }
    if constexpr (kCutByColumns) {
        _mm256_store_ps(&out.weights[0], weightSums[0]);
        _mm256_store_ps(&out.weights[8], weightSums[1]);
    }
}

// 32 lanes: 4 vectors of 8 doubles per channel. GCC 12 takes the undefined pass-through operand of
// the unmasked AVX-512 conversions for an uninitialised variable.
#if defined(__GNUC__) && !defined(__clang__) // clang has no such warning and rejects its name
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
template <bool kCutByColumns>
__attribute__((target("avx512f"))) void BlurBlockAvx512(const BlurSource& source,
                                                        const std::vector<Tap>& taps, int x0, int y,
                                                        LaneSums& out) {
    __m256 sums[kBytesPerPixel][4];
    for (auto& channel : sums) {
        for (__m256& v : channel) {
            v = _mm256_setzero_ps();
        }
    }
    __m512 weightSums[2] = {_mm512_setzero_ps(), _mm512_setzero_ps()};
    const __m512i firstColumns =
        _mm512_add_epi32(_mm512_set1_epi32(x0),
                         _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    const __m512i columnLimit = _mm512_set1_epi32(source.width);
    for (const Tap& tap : taps) {
        const int sy = y + tap.dy;
        if (sy < 0 || sy >= source.height) {
            continue;
        }
        const __m512d weight = _mm512_set1_pd(static_cast<double>(tap.weight));
        // Unrolled so that the twelve sums stay in registers.
#pragma GCC unroll 3
        for (int c = 0; c < kBytesPerPixel; ++c) {
            const float* row = source.At(c, sy, x0 + tap.dx);
#pragma GCC unroll 4
            for (int k = 0; k < 4; ++k) {
                const __m512d product =
                    _mm512_mul_pd(_mm512_cvtps_pd(_mm256_loadu_ps(row + 8 * k)), weight);
                sums[c][k] = _mm512_cvtpd_ps(_mm512_add_pd(_mm512_cvtps_pd(sums[c][k]), product));
            }
        }
        if constexpr (kCutByColumns) {
            for (int k = 0; k < 2; ++k) {
                const __m512i columns =
                    _mm512_add_epi32(firstColumns, _mm512_set1_epi32(tap.dx + 16 * k));
                const __mmask16 inside = _mm512_cmpge_epi32_mask(columns, _mm512_setzero_si512()) &
                                         _mm512_cmplt_epi32_mask(columns, columnLimit);
                weightSums[k] = _mm512_add_ps(
                    weightSums[k], _mm512_maskz_mov_ps(inside, _mm512_set1_ps(tap.weight)));
            }
        }
    }
    for (int c = 0; c < kBytesPerPixel; ++c) {
        for (int k = 0; k < 4; ++k) {
            _mm256_store_ps(&out.channels[c][8 * k], sums[c][k]);
        }
    }
    if constexpr (kCutByColumns) {
        _mm512_store_ps(&out.weights[0], weightSums[0]);
        _mm512_store_ps(&out.weights[16], weightSums[1]);
    }
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

int Lanes(image_detail::VectorLevel level) {
    switch (level) {
    case image_detail::VectorLevel::Avx512:
        return 32;
    case image_detail::VectorLevel::Avx2:
        return 16;
    case image_detail::VectorLevel::Scalar:
        break;
    }
    return 1;
}

void BlurBlock(image_detail::VectorLevel level, bool cutByColumns, const BlurSource& source,
               const std::vector<Tap>& taps, int x0, int y, LaneSums& out) {
#ifdef QUORVEL_BLUR_X86
    if (level == image_detail::VectorLevel::Avx512) {
        cutByColumns ? BlurBlockAvx512<true>(source, taps, x0, y, out)
                     : BlurBlockAvx512<false>(source, taps, x0, y, out);
    } else {
        cutByColumns ? BlurBlockAvx2<true>(source, taps, x0, y, out)
                     : BlurBlockAvx2<false>(source, taps, x0, y, out);
    }
#else
    (void)level, (void)cutByColumns, (void)source, (void)taps, (void)x0, (void)y, (void)out;
#endif
}

// The weight sum of a window cut only by rows, in the order the taps are visited.
float RowCutWeightSum(const BlurSource& source, const std::vector<Tap>& taps, int y) {
    float weightSum = 0.0f;
    for (const Tap& tap : taps) {
        const int sy = y + tap.dy;
        if (sy >= 0 && sy < source.height) {
            weightSum += tap.weight;
        }
    }
    return weightSum;
}

// Columns [begin, end) of row y.
void BlurSpan(image_detail::VectorLevel level, const BlurSource& source,
              const std::vector<Tap>& taps, int half, int y, int begin, int end,
              std::uint8_t* row) {
    if (level == image_detail::VectorLevel::Scalar) {
        for (int x = begin; x < end; ++x) {
            BlurPixel(source, taps, x, y, row + x * kBytesPerPixel);
        }
        return;
    }
    const int lanes = Lanes(level);
    const float rowWeightSum = RowCutWeightSum(source, taps, y);
    LaneSums sums;
    for (int x = begin; x < end; x += lanes) {
        // The last block is moved back to end at `end`; pixels it recomputes come out the same.
        const int x0 = x + lanes <= end ? x : std::max(0, end - lanes);
        const bool cutByColumns = x0 < half || x0 + lanes > source.width - half;
        BlurBlock(level, cutByColumns, source, taps, x0, y, sums);
        for (int px = x; px < std::min(x0 + lanes, end); ++px) {
            const int lane = px - x0;
            const float weightSum = cutByColumns ? sums.weights[lane] : rowWeightSum;
            for (int c = 0; c < kBytesPerPixel; ++c) {
                row[px * kBytesPerPixel + c] = RoundChannel(sums.channels[c][lane], weightSum);
            }
        }
    }
}

// Round(x), ties to even.
int RoundToInt(double x) {
    return static_cast<int>(std::nearbyint(x));
}

} // namespace

namespace image_detail {

VectorLevel BestVectorLevel() {
#ifdef QUORVEL_BLUR_X86
    static const VectorLevel best = __builtin_cpu_supports("avx512f") ? VectorLevel::Avx512
                                    : __builtin_cpu_supports("avx2")  ? VectorLevel::Avx2
                                                                      : VectorLevel::Scalar;
    return best;
#else
    return VectorLevel::Scalar;
#endif
}

void BlurBorderBandsAt(QImage& bitmap, float radius, VectorLevel level) {
    level = std::min(level, BestVectorLevel());
    bitmap = ToBitmap24(bitmap);
    if (bitmap.isNull()) {
        return;
    }
    if (!(radius > 0.0f)) {
        radius = kMinBlurRadius;
    }
    radius = std::min(radius, kMaxBlurRadius);
    const ConeKernel kernel = BuildConeKernel(radius);
    const int half = (kernel.size - 1) / 2;

    std::vector<Tap> taps;
    for (int i = 0; i < kernel.size; ++i) {
        for (int j = 0; j < kernel.size; ++j) {
            if (kernel.At(i, j) != 0.0f) {
                taps.push_back({i - half, j - half, kernel.At(i, j)});
            }
        }
    }

    const int w = bitmap.width();
    const int h = bitmap.height();
    const BlurSource source = PaddedPlanes(bitmap, half + kMaxLanes);

    // The bands to compute; their bounds belong to the untouched middle.
    const bool widerThanWidescreen = w > RoundToInt(h * kWidescreenFactor);
    int firstKeptRow = 0;
    int lastKeptRow = -1; // rows firstKeptRow .. lastKeptRow keep their values
    int firstKeptColumn = 0;
    int lastKeptColumn = -1;
    if (widerThanWidescreen) {
        const int c = RoundToInt(w * kInverseWidescreenFactor - h);
        firstKeptRow = c / 2 + kBandMargin;
        lastKeptRow = h - c / 2 - kBandMargin;
    } else {
        const int c = RoundToInt(h * kWidescreenFactor - w);
        firstKeptColumn = c / 2 + kBandMargin;
        lastKeptColumn = w - c / 2 - kBandMargin;
    }

    std::uint8_t* bits = bitmap.bits();
    const auto stride = static_cast<std::size_t>(bitmap.bytesPerLine());
    ParallelRows(h, 16, [&](int firstRow, int endRow) {
        for (int y = firstRow; y < endRow; ++y) {
            std::uint8_t* row = bits + static_cast<std::size_t>(y) * stride;
            if (widerThanWidescreen) {
                if (y < firstKeptRow || y > lastKeptRow) {
                    BlurSpan(level, source, taps, half, y, 0, w, row);
                }
            } else if (firstKeptColumn > lastKeptColumn) {
                // The two column bands overlap: the whole row is blurred.
                BlurSpan(level, source, taps, half, y, 0, w, row);
            } else {
                BlurSpan(level, source, taps, half, y, 0, std::min(firstKeptColumn, w), row);
                BlurSpan(level, source, taps, half, y, std::max(lastKeptColumn + 1, 0), w, row);
            }
        }
    });
}

} // namespace image_detail

void BlurBorderBands(QImage& bitmap, float radius) {
    image_detail::BlurBorderBandsAt(bitmap, radius, image_detail::BestVectorLevel());
}

} // namespace quorvel
