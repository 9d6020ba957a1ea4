#include "preview/compose_frame.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define QUORVEL_AVX2_DISPATCH 1
#endif

namespace quorvel {

using media::BlendPixel;
using media::FramePtr;
using media::MediaFrame;
using media::MutableFramePtr;
using media::StretchSource;

MutableFramePtr ComposeReference(const ComposeLayers& layers) {
    MutableFramePtr out = layers.background->Copy();
    if (layers.back) {
        out->Overlay(*layers.back);
    }
    for (const PipLayer& pip : layers.pips) {
        if (!pip.frame) {
            continue;
        }
        const QRect source = pip.source & pip.frame->rect();
        if (source.isEmpty()) {
            continue;
        }
        const MutableFramePtr cut =
            pip.frame->Cut(source.left(), source.top(), source.right() + 1, source.bottom() + 1);
        if (cut) {
            out->OverlayRect(*cut, pip.target);
        }
    }
    if (layers.borders) {
        out->Overlay(*layers.borders);
    }
    if (layers.front) {
        out->Overlay(*layers.front);
    }
    return out;
}

namespace {

// ---- Row kernels. Each gives exactly BlendPixel's result.

#if defined(__SSE2__)
inline __m128i Load(const std::uint32_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store(std::uint32_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// inverse * channel / 255, rounded, for eight 16-bit channels.
inline __m128i ScaleChannels(__m128i channels, __m128i alphas) {
    const __m128i c255 = _mm_set1_epi16(255);
    const __m128i c128 = _mm_set1_epi16(128);
    __m128i t = _mm_add_epi16(_mm_mullo_epi16(channels, _mm_sub_epi16(c255, alphas)), c128);
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}
#endif

// dst = src over dst, n pixels.
void BlendSpanBase(std::uint32_t* dst, const std::uint32_t* src, int n) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i alphaMask = _mm_set1_epi32(int(0xFF000000u));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 4 <= n; i += 4) {
        const __m128i s = Load(src + i);
        const __m128i alpha = _mm_and_si128(s, alphaMask);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, alphaMask)) == 0xFFFF) {
            Store(dst + i, s);
            continue;
        }
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(s, zero)) == 0xFFFF) {
            continue;
        }
        const __m128i d = Load(dst + i);
        const __m128i sLo = _mm_unpacklo_epi8(s, zero);
        const __m128i sHi = _mm_unpackhi_epi8(s, zero);
        const __m128i aLo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sLo, 0xFF), 0xFF);
        const __m128i aHi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sHi, 0xFF), 0xFF);
        const __m128i lo = ScaleChannels(_mm_unpacklo_epi8(d, zero), aLo);
        const __m128i hi = ScaleChannels(_mm_unpackhi_epi8(d, zero), aHi);
        Store(dst + i, _mm_adds_epu8(_mm_packus_epi16(lo, hi), s));
    }
#endif
    for (; i < n; ++i) {
        const std::uint32_t s = src[i];
        if ((s >> 24) == 0xFFu) {
            dst[i] = s;
        } else if (s != 0) {
            dst[i] = BlendPixel(dst[i], s);
        }
    }
}

// dst[i] = row[map[i]], where map has a constant step of 1 or 2 when step says so.
void GatherSpanBase(std::uint32_t* dst, const std::uint32_t* row, const int* map, int n, int step) {
    if (n <= 0) {
        return;
    }
    if (step == 1) {
        std::memcpy(dst, row + map[0], std::size_t(n) * 4);
        return;
    }
    int i = 0;
#if defined(__SSE2__)
    if (step == 2) {
        const std::uint32_t* p = row + map[0];
        // Each step reads eight pixels of which it keeps the even ones: stop while the last one
        // read is still one the span uses (the row may end right after it).
        for (; i + 5 <= n; i += 4) {
            const __m128 a = _mm_castsi128_ps(Load(p + 2 * i));
            const __m128 b = _mm_castsi128_ps(Load(p + 2 * i + 4));
            Store(dst + i, _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0))));
        }
    }
#endif
    for (; i < n; ++i) {
        dst[i] = row[map[i]];
    }
}

#if defined(QUORVEL_AVX2_DISPATCH)
// The same kernels eight pixels at a time, for processors that have AVX2.
__attribute__((target("avx2"))) void BlendSpanAvx2(std::uint32_t* dst, const std::uint32_t* src,
                                                   int n) {
    const __m256i alphaMask = _mm256_set1_epi32(int(0xFF000000u));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i c255 = _mm256_set1_epi16(255);
    const __m256i c128 = _mm256_set1_epi16(128);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const __m256i alpha = _mm256_and_si256(s, alphaMask);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(alpha, alphaMask)) == -1) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), s);
            continue;
        }
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(s, zero)) == -1) {
            continue;
        }
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        const __m256i sLo = _mm256_unpacklo_epi8(s, zero);
        const __m256i sHi = _mm256_unpackhi_epi8(s, zero);
        const __m256i aLo = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(sLo, 0xFF), 0xFF);
        const __m256i aHi = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(sHi, 0xFF), 0xFF);
        __m256i lo = _mm256_add_epi16(
            _mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), _mm256_sub_epi16(c255, aLo)), c128);
        __m256i hi = _mm256_add_epi16(
            _mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), _mm256_sub_epi16(c255, aHi)), c128);
        lo = _mm256_srli_epi16(_mm256_add_epi16(lo, _mm256_srli_epi16(lo, 8)), 8);
        hi = _mm256_srli_epi16(_mm256_add_epi16(hi, _mm256_srli_epi16(hi, 8)), 8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                            _mm256_adds_epu8(_mm256_packus_epi16(lo, hi), s));
    }
    BlendSpanBase(dst + i, src + i, n - i);
}

__attribute__((target("avx2"))) void GatherSpanAvx2(std::uint32_t* dst, const std::uint32_t* row,
                                                    const int* map, int n, int step) {
    if (step == 1 || n <= 0) {
        GatherSpanBase(dst, row, map, n, step);
        return;
    }
    int i = 0;
    if (step == 2) {
        const std::uint32_t* p = row + map[0];
        for (; i + 9 <= n; i += 8) { // sixteen read, the last one used: see GatherSpanBase
            const __m256 a = _mm256_castsi256_ps(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 2 * i)));
            const __m256 b = _mm256_castsi256_ps(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 2 * i + 8)));
            const __m256i even =
                _mm256_castps_si256(_mm256_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                                _mm256_permute4x64_epi64(even, _MM_SHUFFLE(3, 1, 2, 0)));
        }
    } else {
        for (; i + 8 <= n; i += 8) {
            const __m256i index = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(map + i));
            _mm256_storeu_si256(
                reinterpret_cast<__m256i*>(dst + i),
                _mm256_i32gather_epi32(reinterpret_cast<const int*>(row), index, 4));
        }
    }
    for (; i < n; ++i) {
        dst[i] = row[map[i]];
    }
}

const bool kHaveAvx2 = [] {
    __builtin_cpu_init(); // may run before the runtime's own constructors
    return __builtin_cpu_supports("avx2") != 0;
}();
#endif

void BlendSpan(std::uint32_t* dst, const std::uint32_t* src, int n) {
#if defined(QUORVEL_AVX2_DISPATCH)
    if (kHaveAvx2) {
        BlendSpanAvx2(dst, src, n);
        return;
    }
#endif
    BlendSpanBase(dst, src, n);
}

void GatherSpan(std::uint32_t* dst, const std::uint32_t* row, const int* map, int n, int step) {
#if defined(QUORVEL_AVX2_DISPATCH)
    if (kHaveAvx2) {
        GatherSpanAvx2(dst, row, map, n, step);
        return;
    }
#endif
    GatherSpanBase(dst, row, map, n, step);
}

// Asks for a source row's bytes ahead of their use, so that a row read after a stride (a PIP
// that skips rows) does not wait on memory line by line.
void PrefetchRow(const std::uint32_t* begin, int count) {
    const char* p = reinterpret_cast<const char*>(begin);
    const char* end = p + std::size_t(count) * 4;
    for (; p < end; p += 64) {
        __builtin_prefetch(p, 0, 0);
    }
}

// The output row, written once and around the cache when the platform allows.
#if defined(QUORVEL_AVX2_DISPATCH)
__attribute__((target("avx2"))) void StoreRowAvx2(std::uint32_t* dst, const std::uint32_t* src,
                                                  int n) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        _mm256_stream_si256(reinterpret_cast<__m256i*>(dst + i),
                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i)));
    }
    for (; i < n; ++i) {
        dst[i] = src[i];
    }
}
#endif

void StoreRow(std::uint32_t* dst, const std::uint32_t* src, int n) {
#if defined(QUORVEL_AVX2_DISPATCH)
    if (kHaveAvx2 && (reinterpret_cast<std::uintptr_t>(dst) & 31u) == 0) {
        StoreRowAvx2(dst, src, n);
        return;
    }
#endif
#if defined(__SSE2__)
    if ((reinterpret_cast<std::uintptr_t>(dst) & 15u) == 0) {
        int i = 0;
        for (; i + 4 <= n; i += 4) {
            _mm_stream_si128(reinterpret_cast<__m128i*>(dst + i), Load(src + i));
        }
        for (; i < n; ++i) {
            dst[i] = src[i];
        }
        return;
    }
#endif
    std::memcpy(dst, src, std::size_t(n) * 4);
}

void FinishStores() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

struct Span {
    int begin;
    int end;
};

// The parts of [begin, end) not covered by `covers` (sorted by begin). At most count + 1 parts.
int Subtract(int begin, int end, const Span* covers, int count, Span* out) {
    int parts = 0;
    int at = begin;
    for (int i = 0; i < count && at < end; ++i) {
        const Span& c = covers[i];
        if (c.end <= at) {
            continue;
        }
        if (c.begin >= end) {
            break;
        }
        if (c.begin > at) {
            out[parts++] = {at, c.begin};
        }
        at = std::max(at, c.end);
    }
    if (at < end) {
        out[parts++] = {at, end};
    }
    return parts;
}

int MapStep(const std::vector<int>& map) {
    if (map.size() < 2) {
        return 1;
    }
    const int step = map[1] - map[0];
    if (step != 1 && step != 2) {
        return 0;
    }
    for (std::size_t i = 2; i < map.size(); ++i) {
        if (map[i] - map[i - 1] != step) {
            return 0;
        }
    }
    return step;
}

// A whole-picture overlay, prepared for the output size.
struct WholeLayer {
    const MediaFrame* frame = nullptr;
    bool direct = false; // same size as the output
    std::vector<int> map;
    int step = 0;

    void Prepare(const FramePtr& f, int width, int height) {
        frame = f.get();
        if (frame == nullptr) {
            return;
        }
        direct = frame->width() == width && frame->height() == height;
        if (!direct) {
            map.resize(std::size_t(width));
            for (int x = 0; x < width; ++x) {
                map[std::size_t(x)] = StretchSource(x, frame->width(), width);
            }
            step = MapStep(map);
        }
    }
};

struct PreparedPip {
    const MediaFrame* frame = nullptr;
    QRect source;
    QRect target;
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0; // clipped target, half-open
    bool opaque = false;
    std::vector<int> map; // source x of output x0 .. x1 - 1
    int step = 0;
};

class RowComposer {
public:
    RowComposer(const ComposeLayers& layers, MediaFrame& out)
        : m_out(out)
        , m_width(out.width())
        , m_height(out.height())
        , m_background(*layers.background) {
        m_back.Prepare(layers.back, m_width, m_height);
        m_borders.Prepare(layers.borders, m_width, m_height);
        m_front.Prepare(layers.front, m_width, m_height);
        for (const PipLayer& layer : layers.pips) {
            if (!layer.frame) {
                continue;
            }
            PreparedPip pip;
            pip.frame = layer.frame.get();
            pip.source = layer.source & pip.frame->rect();
            pip.target = layer.target;
            const QRect clipped = layer.target & m_out.rect();
            if (pip.source.isEmpty() || layer.target.isEmpty() || clipped.isEmpty()) {
                continue;
            }
            pip.x0 = clipped.left();
            pip.x1 = clipped.right() + 1;
            pip.y0 = clipped.top();
            pip.y1 = clipped.bottom() + 1;
            pip.opaque = pip.frame->opaque();
            pip.map.resize(std::size_t(pip.x1 - pip.x0));
            for (int x = pip.x0; x < pip.x1; ++x) {
                pip.map[std::size_t(x - pip.x0)] =
                    pip.source.x() +
                    StretchSource(x - pip.target.x(), pip.source.width(), pip.target.width());
            }
            pip.step = MapStep(pip.map);
            m_pips.push_back(std::move(pip));
        }
        m_row.resize(std::size_t(m_width));
        m_scratch.resize(std::size_t(m_width));
    }

    void Run() {
        for (int y = 0; y < m_height; ++y) {
            ComposeRow(y);
            StoreRow(m_out.row(y), m_row.data(), m_width);
        }
        FinishStores();
    }

private:
    // Blends the whole-picture layer over m_row in [begin, end) of row y.
    void BlendWhole(const WholeLayer& layer, int y, int begin, int end) {
        std::uint32_t* row = m_row.data();
        if (layer.direct) {
            const std::uint32_t* src = layer.frame->row(y);
            if (!layer.frame->hasRuns()) {
                BlendSpan(row + begin, src + begin, end - begin);
                return;
            }
            for (const media::PixelRun* r = layer.frame->runsBegin(y); r != layer.frame->runsEnd(y);
                 ++r) {
                const int b = std::max(begin, r->begin);
                const int e = std::min(end, r->end);
                if (b < e) {
                    BlendSpan(row + b, src + b, e - b);
                }
            }
            return;
        }
        const std::uint32_t* src =
            layer.frame->row(StretchSource(y, layer.frame->height(), m_height));
        GatherSpan(m_scratch.data(), src, layer.map.data() + begin, end - begin, layer.step);
        BlendSpan(row + begin, m_scratch.data(), end - begin);
    }

    void ComposeRow(int y) {
        std::uint32_t* row = m_row.data();
        // Opaque PIPs on this row, to skip what they hide.
        Span opaqueCovers[4];
        int opaqueOwner[4];
        int opaqueCount = 0;
        for (int i = 0; i < int(m_pips.size()); ++i) {
            const PreparedPip& p = m_pips[std::size_t(i)];
            if (p.opaque && y >= p.y0 && y < p.y1) {
                opaqueCovers[opaqueCount] = {p.x0, p.x1};
                opaqueOwner[opaqueCount] = i;
                ++opaqueCount;
            }
        }
        Span parts[8];
        Span above[4];

        // Background and back overlay where no opaque PIP lies.
        int aboveCount = SortedCovers(opaqueCovers, opaqueOwner, opaqueCount, -1, above);
        int count = Subtract(0, m_width, above, aboveCount, parts);
        const bool backHides = m_back.frame != nullptr && m_back.direct && m_back.frame->opaque();
        for (int k = 0; k < count; ++k) {
            const int b = parts[k].begin;
            const int e = parts[k].end;
            if (backHides) {
                std::memcpy(row + b, m_back.frame->row(y) + b, std::size_t(e - b) * 4);
                continue;
            }
            std::memcpy(row + b, m_background.row(y) + b, std::size_t(e - b) * 4);
            if (m_back.frame != nullptr) {
                BlendWhole(m_back, y, b, e);
            }
        }

        // The PIPs, each where no later opaque PIP covers it.
        for (int i = 0; i < int(m_pips.size()); ++i) {
            const PreparedPip& p = m_pips[std::size_t(i)];
            if (y < p.y0 || y >= p.y1) {
                continue;
            }
            aboveCount = SortedCovers(opaqueCovers, opaqueOwner, opaqueCount, i, above);
            count = Subtract(p.x0, p.x1, above, aboveCount, parts);
            const std::uint32_t* src = p.frame->row(SourceRow(p, y));
            if (y + 1 < p.y1) {
                PrefetchRow(p.frame->row(SourceRow(p, y + 1)) + p.map.front(),
                            p.map.back() - p.map.front() + 1);
            }
            for (int k = 0; k < count; ++k) {
                const int b = parts[k].begin;
                const int n = parts[k].end - b;
                const int* map = p.map.data() + (b - p.x0);
                const int step = p.step;
                if (p.opaque) {
                    GatherSpan(row + b, src, map, n, step);
                } else {
                    GatherSpan(m_scratch.data(), src, map, n, step);
                    BlendSpan(row + b, m_scratch.data(), n);
                }
            }
        }

        if (m_borders.frame != nullptr) {
            BlendWhole(m_borders, y, 0, m_width);
        }
        if (m_front.frame != nullptr) {
            BlendWhole(m_front, y, 0, m_width);
        }
    }

    static int SourceRow(const PreparedPip& p, int y) {
        return p.source.y() + StretchSource(y - p.target.y(), p.source.height(), p.target.height());
    }

    // The opaque covers of PIPs drawn after `pip` (-1: all), sorted by their left edge.
    static int SortedCovers(const Span* covers, const int* owners, int count, int pip, Span* out) {
        int n = 0;
        for (int i = 0; i < count; ++i) {
            if (owners[i] > pip) {
                out[n++] = covers[i];
            }
        }
        for (int i = 1; i < n; ++i) { // at most four: insertion sort
            for (int j = i; j > 0 && out[j].begin < out[j - 1].begin; --j) {
                std::swap(out[j], out[j - 1]);
            }
        }
        return n;
    }

    MediaFrame& m_out;
    const int m_width;
    const int m_height;
    const MediaFrame& m_background;
    WholeLayer m_back;
    WholeLayer m_borders;
    WholeLayer m_front;
    std::vector<PreparedPip> m_pips;
    std::vector<std::uint32_t> m_row;
    std::vector<std::uint32_t> m_scratch;
};

} // namespace

void ComposeFast(const ComposeLayers& layers, MediaFrame& out) {
    RowComposer(layers, out).Run();
}

} // namespace quorvel
