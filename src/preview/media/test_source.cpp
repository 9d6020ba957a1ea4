#include "preview/media/test_source.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "preview/media/video_format.h"

namespace quorvel::media {

namespace {

// Segments a-g of each digit, as bits 0-6.
constexpr std::array<std::uint8_t, 10> kSegments{0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                                 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

int BarWidth(int width) {
    return std::max(1, width / 16);
}

int BarX(int width, double fps, std::int64_t index) {
    const auto period =
        std::max<std::int64_t>(1, std::llround(fps * TestSourceReader::kSweepSeconds));
    const int travel = width - BarWidth(width);
    return int((index % period) * travel / std::max<std::int64_t>(1, period - 1));
}

// The bar: the field brightened half way to white.
void DrawBar(MediaFrame& frame, const MediaFrame& base, int x) {
    const int w = BarWidth(frame.width());
    for (int y = 0; y < frame.height(); ++y) {
        const std::uint32_t* s = base.row(y) + x;
        std::uint32_t* d = frame.row(y) + x;
        for (int i = 0; i < w; ++i) {
            const std::uint32_t p = s[i];
            d[i] = 0xFF000000u | (((p & 0xFEFEFEu) >> 1) + 0x7F7F7Fu);
        }
    }
}

void RestoreBar(MediaFrame& frame, const MediaFrame& base, int x) {
    const std::size_t bytes = std::size_t(BarWidth(frame.width())) * 4;
    for (int y = 0; y < frame.height(); ++y) {
        std::memcpy(frame.row(y) + x, base.row(y) + x, bytes);
    }
}

} // namespace

void DrawSegmentDigits(QPainter& painter, const QRectF& box, const QString& digits,
                       const QColor& colour) {
    const int count = int(digits.size());
    if (count == 0) {
        return;
    }
    // Each figure is 0.6 of its height wide, with 0.2 of that as the gap between figures.
    const double figureHeight = std::min(box.height(), box.width() / (count * 0.72));
    const double figureWidth = figureHeight * 0.6;
    const double t = figureHeight / 8.0;
    const double total = count * figureWidth + (count - 1) * figureWidth * 0.2;
    double left = box.center().x() - total / 2.0;
    const double top = box.center().y() - figureHeight / 2.0;
    for (const QChar c : digits) {
        const int digit = c.digitValue();
        if (digit >= 0) {
            const std::uint8_t s = kSegments[std::size_t(digit)];
            const double mid = top + (figureHeight - t) / 2.0;
            const std::array<QRectF, 7> segments{
                QRectF(left, top, figureWidth, t),                                  // a
                QRectF(left + figureWidth - t, top, t, figureHeight / 2.0),         // b
                QRectF(left + figureWidth - t, mid, t, figureHeight / 2.0 + t / 2), // c
                QRectF(left, top + figureHeight - t, figureWidth, t),               // d
                QRectF(left, mid, t, figureHeight / 2.0 + t / 2),                   // e
                QRectF(left, top, t, figureHeight / 2.0),                           // f
                QRectF(left, mid, figureWidth, t),                                  // g
            };
            for (int i = 0; i < 7; ++i) {
                if ((s >> i) & 1) {
                    painter.fillRect(segments[std::size_t(i)], colour);
                }
            }
        }
        left += figureWidth * 1.2;
    }
}

TestSourceReader::TestSourceReader(int inputNumber)
    : m_inputNumber(inputNumber)
    , m_frozenIndex(-1)
    , m_start(Clock::now()) {}

TestSourceReader::TestSourceReader(int inputNumber, std::int64_t frozenFrameIndex)
    : m_inputNumber(inputNumber)
    , m_frozenIndex(std::max<std::int64_t>(0, frozenFrameIndex))
    , m_start(Clock::now()) {}

QColor TestSourceReader::InputColour(int inputNumber) {
    static constexpr std::array<QRgb, 8> kColours{0xC82828, 0x28A03C, 0x2850C8, 0xDC8C1E,
                                                  0x8C3CB4, 0x1EA0AA, 0xC8328C, 0x8C8C28};
    if (inputNumber < 1 || inputNumber > 8) {
        return QColor(0x60, 0x60, 0x60);
    }
    return QColor(kColours[std::size_t(inputNumber - 1)]);
}

bool TestSourceReader::Open(const QString& /*url*/, const QString& /*options*/) {
    std::lock_guard lock(m_mutex);
    m_closed = false;
    return true;
}

TestSourceReader::Resolved TestSourceReader::ResolveRequest(const AVProps& format) const {
    const ResolvedFormat r = ResolveFormat(format);
    Resolved out{r.width, r.height, r.framesPerSecond};
    if (out.width <= 0 || out.height <= 0) {
        out.width = kOwnWidth;
        out.height = kOwnHeight;
    }
    if (!(out.fps > 0.0)) {
        out.fps = kOwnFramesPerSecond;
    }
    return out;
}

std::int64_t TestSourceReader::FrameIndexNow(double fps) const {
    if (m_frozenIndex >= 0) {
        return m_frozenIndex;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - m_start).count();
    return std::int64_t(seconds * fps);
}

const MediaFrame& TestSourceReader::StaticLayer(int width, int height) {
    MutableFramePtr& layer = m_static[{width, height}];
    if (!layer) {
        layer = MediaFrame::CreateUninitialised(width, height);
        QImage image = layer->WrapImage();
        QPainter painter(&image);
        const QColor colour = InputColour(m_inputNumber);
        painter.fillRect(image.rect(), colour.darker(160));
        // A frame one twentieth of the height thick in the full colour, so crops show their edge.
        const int edge = std::max(1, height / 20);
        const QRect inner = image.rect().adjusted(edge, edge, -edge, -edge);
        painter.fillRect(image.rect(), colour);
        painter.fillRect(inner, colour.darker(160));
        const QRectF box(width * 0.15, height * 0.15, width * 0.7, height * 0.7);
        DrawSegmentDigits(painter, box, QString::number(m_inputNumber), Qt::white);
        painter.end();
        layer->SetOpaque(true);
    }
    return *layer;
}

FramePtr TestSourceReader::FrameAt(const Resolved& format, std::int64_t index) {
    if (m_last && m_lastIndex == index && m_last->width() == format.width &&
        m_last->height() == format.height) {
        return m_last;
    }
    const MediaFrame& base = StaticLayer(format.width, format.height);
    MutableFramePtr frame = m_pool.Acquire(format.width, format.height);
    const int barX = BarX(format.width, format.fps, index);
    if (frame->tag() >= 0) {
        RestoreBar(*frame, base, int(frame->tag()));
    } else {
        std::memcpy(frame->bits(), base.bits(), base.byteCount());
    }
    DrawBar(*frame, base, barX);
    frame->SetTag(barX);
    frame->SetOpaque(true);
    m_last = frame;
    m_lastIndex = index;
    return m_last;
}

FramePtr TestSourceReader::NextFrame() {
    return FrameInFormat(AVProps{});
}

FramePtr TestSourceReader::FrameInFormat(const AVProps& format) {
    std::lock_guard lock(m_mutex);
    if (m_closed) {
        return nullptr;
    }
    const Resolved r = ResolveRequest(format);
    return FrameAt(r, FrameIndexNow(r.fps));
}

FramePtr TestSourceReader::PlaybackFrame(const AVProps& format, double /*position*/) {
    std::lock_guard lock(m_mutex);
    if (m_closed) {
        return nullptr;
    }
    const Resolved r = ResolveRequest(format);
    const std::int64_t index = FrameIndexNow(r.fps);
    m_playbackFps = r.fps;
    if (index == m_lastPlaybackIndex && m_frozenIndex < 0) {
        return nullptr;
    }
    m_lastPlaybackIndex = index;
    return FrameAt(r, index);
}

std::optional<Clock::time_point> TestSourceReader::NextFrameDue() const {
    std::lock_guard lock(m_mutex);
    if (m_frozenIndex >= 0 || m_lastPlaybackIndex < 0) {
        return std::nullopt;
    }
    const auto offset =
        std::chrono::duration<double>(double(m_lastPlaybackIndex + 1) / m_playbackFps);
    return m_start + std::chrono::duration_cast<Clock::duration>(offset);
}

bool TestSourceReader::Close(std::chrono::milliseconds /*timeout*/) {
    CloseAsync();
    return true;
}

void TestSourceReader::CloseAsync() {
    std::lock_guard lock(m_mutex);
    m_closed = true;
    m_last.reset();
    m_static.clear();
}

} // namespace quorvel::media
