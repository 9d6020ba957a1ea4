// The cone kernel and the blur of the bands that stay visible around a centred 16:9 picture.
//
// The arithmetic, which every path below follows to the bit:
// - kernel weights are 32-bit floats, r - distance with the distance in double precision;
// - for each output pixel the window's taps are visited row by row, left to right; the weight sum
//   is a float sum, each channel sum is float(double(sum) + double(weight) * value);
// - each channel is Round(double(channel sum) / double(weight sum)), ties to even.
// Taps of weight 0 change no sum (x + 0 is exact), so they are skipped; taps outside the picture
// are left out, which renormalises the window at the edges.

#include "util/image/image_tools.h"
#include "util/image/parallel_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define QUORVEL_BLUR_AVX2 1
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

// The source copy, one plane of floats per channel (exact for 0..255), read by every worker.
struct BlurSource {
    int width = 0;
    int height = 0;
    std::vector<float> planes[kBytesPerPixel];

    const float* Row(int channel, int y) const {
        return planes[channel].data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    }
};

float AddProduct(float sum, float weight, float value) {
    return static_cast<float>(static_cast<double>(sum) +
                              static_cast<double>(weight) * static_cast<double>(value));
}

std::uint8_t RoundChannel(float sum, float weightSum) {
    const double value = std::nearbyint(static_cast<double>(sum) / static_cast<double>(weightSum));
    return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
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
            sums[c] = AddProduct(sums[c], tap.weight, source.Row(c, sy)[sx]);
        }
    }
    for (int c = 0; c < kBytesPerPixel; ++c) {
        out[c] = RoundChannel(sums[c], weightSum);
    }
}

// Pixels [x, x + count) of row y whose windows lie inside the picture's columns; the row limits
// may cut the window, which they do alike for every pixel of the span.
void BlurInteriorScalar(const BlurSource& source, const std::vector<Tap>& taps, int x, int count,
                        int y, std::uint8_t* out) {
    for (int i = 0; i < count; ++i) {
        BlurPixel(source, taps, x + i, y, out + i * kBytesPerPixel);
    }
}

#ifdef QUORVEL_BLUR_AVX2
constexpr int kLanes = 16; // pixels per step of the vector path: 4 vectors of 4 per channel

// kLanes pixels at a time, each lane doing exactly the scalar sequence of operations.
__attribute__((target("avx2"))) void BlurLanesAvx2(const BlurSource& source,
                                                   const std::vector<Tap>& taps, int x, int y,
                                                   float weightSum, std::uint8_t* out) {
    __m128 sums[kBytesPerPixel][4];
    for (auto& channel : sums) {
        for (__m128& v : channel) {
            v = _mm_setzero_ps();
        }
    }
    for (const Tap& tap : taps) {
        const int sy = y + tap.dy;
        if (sy < 0 || sy >= source.height) {
            continue;
        }
        const __m256d weight = _mm256_set1_pd(static_cast<double>(tap.weight));
        for (int c = 0; c < kBytesPerPixel; ++c) {
            const float* row = source.Row(c, sy) + x + tap.dx;
            for (int k = 0; k < 4; ++k) {
                const __m256d product =
                    _mm256_mul_pd(_mm256_cvtps_pd(_mm_loadu_ps(row + 4 * k)), weight);
                sums[c][k] = _mm256_cvtpd_ps(_mm256_add_pd(_mm256_cvtps_pd(sums[c][k]), product));
            }
        }
    }
    alignas(16) float lanes[kBytesPerPixel][kLanes];
    for (int c = 0; c < kBytesPerPixel; ++c) {
        for (int k = 0; k < 4; ++k) {
            _mm_store_ps(&lanes[c][4 * k], sums[c][k]);
        }
    }
    for (int i = 0; i < kLanes; ++i) {
        for (int c = 0; c < kBytesPerPixel; ++c) {
            out[i * kBytesPerPixel + c] = RoundChannel(lanes[c][i], weightSum);
        }
    }
}

bool HasAvx2() {
    static const bool available = __builtin_cpu_supports("avx2") != 0;
    return available;
}
#endif

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
void BlurSpan(const BlurSource& source, const std::vector<Tap>& taps, int half, int y, int begin,
              int end, std::uint8_t* row) {
    // Columns whose window is not cut at the left or right edge.
    const int interiorBegin = std::clamp(half, begin, end);
    const int interiorEnd = std::clamp(source.width - half, interiorBegin, end);
    for (int x = begin; x < interiorBegin; ++x) {
        BlurPixel(source, taps, x, y, row + x * kBytesPerPixel);
    }
    int x = interiorBegin;
#ifdef QUORVEL_BLUR_AVX2
    if (HasAvx2() && interiorEnd - x >= kLanes) {
        const float weightSum = RowCutWeightSum(source, taps, y);
        for (; x + kLanes <= interiorEnd; x += kLanes) {
            BlurLanesAvx2(source, taps, x, y, weightSum, row + x * kBytesPerPixel);
        }
    }
#endif
    BlurInteriorScalar(source, taps, x, interiorEnd - x, y, row + x * kBytesPerPixel);
    for (x = interiorEnd; x < end; ++x) {
        BlurPixel(source, taps, x, y, row + x * kBytesPerPixel);
    }
}

// Round(x), ties to even.
int RoundToInt(double x) {
    return static_cast<int>(std::nearbyint(x));
}

} // namespace

void BlurBorderBands(QImage& bitmap, float radius) {
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
    BlurSource source;
    source.width = w;
    source.height = h;
    for (auto& plane : source.planes) {
        plane.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    }
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* line = bitmap.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            for (int c = 0; c < kBytesPerPixel; ++c) {
                source.planes[c][static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                                 static_cast<std::size_t>(x)] = line[x * kBytesPerPixel + c];
            }
        }
    }

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
    image_detail::ParallelRows(h, 16, [&](int firstRow, int endRow) {
        for (int y = firstRow; y < endRow; ++y) {
            std::uint8_t* row = bits + static_cast<std::size_t>(y) * stride;
            if (widerThanWidescreen) {
                if (y < firstKeptRow || y > lastKeptRow) {
                    BlurSpan(source, taps, half, y, 0, w, row);
                }
            } else if (firstKeptColumn > lastKeptColumn) {
                // The two column bands overlap: the whole row is blurred.
                BlurSpan(source, taps, half, y, 0, w, row);
            } else {
                BlurSpan(source, taps, half, y, 0, std::min(firstKeptColumn, w), row);
                BlurSpan(source, taps, half, y, std::max(lastKeptColumn + 1, 0), w, row);
            }
        }
    });
}

} // namespace quorvel
