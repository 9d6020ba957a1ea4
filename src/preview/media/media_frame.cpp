#include "preview/media/media_frame.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace quorvel::media {

namespace {

constexpr std::size_t kAlignment = 64;
// Runs separated by fewer transparent pixels than this are merged (16 pixels = one cache line).
constexpr int kRunMergeGap = 16;

std::uint32_t* AllocatePixels(int width, int height) {
    if (width < 1 || height < 1) {
        throw std::invalid_argument("frame size below 1 pixel");
    }
    std::size_t bytes = std::size_t(width) * std::size_t(height) * 4;
    bytes = (bytes + kAlignment - 1) / kAlignment * kAlignment;
    void* p = std::aligned_alloc(kAlignment, bytes);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return static_cast<std::uint32_t*>(p);
}

} // namespace

MediaFrame::MediaFrame(int width, int height, std::uint32_t* pixels)
    : m_width(width)
    , m_height(height)
    , m_pixels(pixels) {}

MediaFrame::~MediaFrame() {
    std::free(m_pixels);
}

MutableFramePtr MediaFrame::CreateUninitialised(int width, int height) {
    return MutableFramePtr(new MediaFrame(width, height, AllocatePixels(width, height)));
}

MutableFramePtr MediaFrame::Create(int width, int height) {
    MutableFramePtr frame = CreateUninitialised(width, height);
    std::memset(frame->bits(), 0, frame->byteCount());
    return frame;
}

MutableFramePtr MediaFrame::FromImage(const QImage& image) {
    if (image.isNull()) {
        return nullptr;
    }
    const QImage converted = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    MutableFramePtr frame = CreateUninitialised(converted.width(), converted.height());
    for (int y = 0; y < converted.height(); ++y) {
        std::memcpy(frame->row(y), converted.constScanLine(y), std::size_t(frame->rowBytes()));
    }
    if (!image.hasAlphaChannel()) {
        frame->SetOpaque(true);
    }
    return frame;
}

AVProps MediaFrame::Properties() const {
    AVProps props;
    props.width = m_width;
    props.height = m_height;
    props.rowBytes = rowBytes();
    return props;
}

void MediaFrame::Analyse() {
    m_runStart.assign(std::size_t(m_height) + 1, 0);
    m_runs.clear();
    bool opaque = true;
    for (int y = 0; y < m_height; ++y) {
        const std::uint32_t* p = row(y);
        int x = 0;
        while (x < m_width) {
            while (x < m_width && p[x] == 0) {
                opaque = false;
                ++x;
            }
            if (x == m_width) {
                break;
            }
            const int begin = x;
            int end = x;
            // Extend over visible pixels and over gaps shorter than the merge distance.
            while (x < m_width) {
                if (p[x] != 0) {
                    if ((p[x] >> 24) != 0xFFu) {
                        opaque = false;
                    }
                    end = ++x;
                    continue;
                }
                int gapEnd = x;
                while (gapEnd < m_width && p[gapEnd] == 0 && gapEnd - x < kRunMergeGap) {
                    ++gapEnd;
                }
                opaque = false;
                if (gapEnd == m_width || p[gapEnd] == 0) {
                    x = gapEnd;
                    break;
                }
                x = gapEnd;
            }
            m_runs.push_back({begin, end});
        }
        m_runStart[std::size_t(y) + 1] = std::uint32_t(m_runs.size());
    }
    m_opaque = opaque;
}

MutableFramePtr MediaFrame::Copy() const {
    MutableFramePtr copy = CreateUninitialised(m_width, m_height);
    std::memcpy(copy->bits(), bits(), byteCount());
    copy->m_opaque = m_opaque;
    copy->m_runStart = m_runStart;
    copy->m_runs = m_runs;
    return copy;
}

MutableFramePtr MediaFrame::Cut(int left, int top, int right, int bottom) const {
    const QRect part = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)) & rect();
    if (right <= left || bottom <= top || part.isEmpty()) {
        return nullptr;
    }
    MutableFramePtr cut = CreateUninitialised(part.width(), part.height());
    for (int y = 0; y < part.height(); ++y) {
        std::memcpy(cut->row(y), row(part.y() + y) + part.x(), std::size_t(cut->rowBytes()));
    }
    cut->m_opaque = m_opaque;
    return cut;
}

MutableFramePtr MediaFrame::Resize(int width, int height) const {
    if (width < 1 || height < 1) {
        return nullptr;
    }
    if (width == m_width && height == m_height) {
        return Copy();
    }
    const QImage view(bits(), m_width, m_height, rowBytes(), QImage::Format_ARGB32_Premultiplied);
    MutableFramePtr resized =
        FromImage(view.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    if (resized) {
        resized->m_opaque = m_opaque;
    }
    return resized;
}

void MediaFrame::Overlay(const MediaFrame& src) {
    OverlayRect(src, src.rect(), rect());
}

void MediaFrame::OverlayRect(const MediaFrame& src, const QRect& sourceIn, const QRect& target) {
    const QRect source = sourceIn & src.rect();
    if (source.isEmpty() || target.isEmpty()) {
        return;
    }
    const QRect clipped = target & rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        const std::uint32_t* s =
            src.row(source.y() + StretchSource(y - target.y(), source.height(), target.height()));
        std::uint32_t* d = row(y);
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            const std::uint32_t pixel =
                s[source.x() + StretchSource(x - target.x(), source.width(), target.width())];
            d[x] = BlendPixel(d[x], pixel);
        }
    }
}

QImage MediaFrame::WrapImage() {
    return QImage(bits(), m_width, m_height, rowBytes(), QImage::Format_ARGB32_Premultiplied);
}

QImage MediaFrame::ToImage() const {
    return QImage(bits(), m_width, m_height, rowBytes(), QImage::Format_ARGB32_Premultiplied)
        .copy();
}

// ---- FramePool

struct FramePool::Shared {
    std::mutex mutex;
    std::vector<MediaFrame*> free;
    std::size_t keep = 4;
    bool closed = false;

    void Return(MediaFrame* frame) {
        {
            std::lock_guard lock(mutex);
            if (!closed && free.size() < keep) {
                free.push_back(frame);
                return;
            }
        }
        delete frame;
    }
};

FramePool::FramePool(std::size_t keep)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->keep = keep;
}

FramePool::~FramePool() {
    std::vector<MediaFrame*> frames;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->closed = true;
        frames.swap(m_shared->free);
    }
    for (MediaFrame* frame : frames) {
        delete frame;
    }
}

MutableFramePtr FramePool::Acquire(int width, int height) {
    MediaFrame* frame = nullptr;
    {
        std::lock_guard lock(m_shared->mutex);
        auto& free = m_shared->free;
        const auto it = std::find_if(free.begin(), free.end(), [&](const MediaFrame* f) {
            return f->width() == width && f->height() == height;
        });
        if (it != free.end()) {
            frame = *it;
            free.erase(it);
        } else if (!free.empty() && free.size() >= m_shared->keep) {
            // Buffers of an old size would only take room: drop one.
            delete free.front();
            free.erase(free.begin());
        }
    }
    if (frame == nullptr) {
        frame = new MediaFrame(width, height, AllocatePixels(width, height));
    } else {
        frame->m_opaque = false;
        frame->m_runStart.clear();
        frame->m_runs.clear();
    }
    std::weak_ptr<Shared> pool = m_shared;
    return MutableFramePtr(frame, [pool](MediaFrame* f) {
        if (const std::shared_ptr<Shared> shared = pool.lock()) {
            shared->Return(f);
        } else {
            delete f;
        }
    });
}

} // namespace quorvel::media
