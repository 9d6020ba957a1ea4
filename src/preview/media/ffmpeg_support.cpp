#include "preview/media/ffmpeg_support.h"

#include <mutex>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace quorvel::media {

namespace {

// A picture or frame larger than this is refused before its pixels are allocated: a broken file of
// a few hundred bytes can declare 65548 x 1280 pixels and cost seconds and 400 MB to fail. The
// limit is the one Qt's image reader applies (256 MB of 32-bit pixels); 8K video is a half of it.
constexpr std::int64_t kMaxPixels = 64 * 1024 * 1024;

void InitialiseFfmpeg() {
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_level(qEnvironmentVariableIsSet("QUORVEL_FFMPEG_LOG") ? AV_LOG_INFO
                                                                         : AV_LOG_QUIET);
        avdevice_register_all();
        avformat_network_init();
    });
}

} // namespace

DemuxContext::DemuxContext() {
    InitialiseFfmpeg();
}

DemuxContext::~DemuxContext() {
    av_packet_free(&m_packet);
    av_frame_free(&m_frame);
    avcodec_free_context(&m_codec);
    avformat_close_input(&m_format);
}

bool DemuxContext::Open(const QString& url, int (*interrupt)(void*), void* opaque) {
    m_format = avformat_alloc_context();
    if (m_format == nullptr) {
        return false;
    }
    if (interrupt != nullptr) {
        m_format->interrupt_callback.callback = interrupt;
        m_format->interrupt_callback.opaque = opaque;
    }
    AVDictionary* options = nullptr;
    const AVInputFormat* inputFormat = nullptr;
    QByteArray name = url.toUtf8();
    if (url.startsWith(QLatin1String("file://"))) {
        name = url.mid(7).toUtf8();
    }
    if (url.contains(u'*')) {
        inputFormat = av_find_input_format("image2");
        av_dict_set(&options, "pattern_type", "glob", 0);
    } else if (url.startsWith(QLatin1String("/dev/video"))) {
        inputFormat = av_find_input_format("video4linux2");
    }
    const int opened = avformat_open_input(&m_format, name.constData(), inputFormat, &options);
    av_dict_free(&options);
    if (opened < 0) {
        return false; // avformat_open_input freed the context
    }
    // The decoders that look into the streams get the same limit as the one that decodes them.
    std::vector<AVDictionary*> streamOptions(m_format->nb_streams, nullptr);
    for (AVDictionary*& streamOption : streamOptions) {
        av_dict_set_int(&streamOption, "max_pixels", kMaxPixels, 0);
    }
    const int found = avformat_find_stream_info(m_format, streamOptions.data());
    for (AVDictionary*& streamOption : streamOptions) {
        av_dict_free(&streamOption);
    }
    if (found < 0) {
        return false;
    }
    const AVCodec* decoder = nullptr;
    m_stream = av_find_best_stream(m_format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (m_stream < 0 || decoder == nullptr) {
        return false;
    }
    m_codec = avcodec_alloc_context3(decoder);
    if (m_codec == nullptr ||
        avcodec_parameters_to_context(m_codec, m_format->streams[m_stream]->codecpar) < 0) {
        return false;
    }
    m_codec->thread_count = 1;
    m_codec->max_pixels = kMaxPixels;
    if (avcodec_open2(m_codec, decoder, nullptr) < 0) {
        return false;
    }
    m_frame = av_frame_alloc();
    m_packet = av_packet_alloc();
    return m_frame != nullptr && m_packet != nullptr;
}

DecodeResult DemuxContext::DecodeNext(AVFrame*& frame) {
    for (;;) {
        const int received = avcodec_receive_frame(m_codec, m_frame);
        if (received == 0) {
            frame = m_frame;
            return DecodeResult::Frame;
        }
        if (received == AVERROR_EOF) {
            return DecodeResult::EndOfStream;
        }
        if (received != AVERROR(EAGAIN)) {
            return DecodeResult::Error;
        }
        if (m_draining) {
            return DecodeResult::EndOfStream;
        }
        const int read = av_read_frame(m_format, m_packet);
        if (read == AVERROR_EOF) {
            m_draining = true;
            avcodec_send_packet(m_codec, nullptr);
            continue;
        }
        if (read < 0) {
            return DecodeResult::Error;
        }
        if (m_packet->stream_index == m_stream) {
            const int sent = avcodec_send_packet(m_codec, m_packet);
            if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_INVALIDDATA) {
                av_packet_unref(m_packet);
                return DecodeResult::Error;
            }
        }
        av_packet_unref(m_packet);
    }
}

bool DemuxContext::Rewind() {
    const AVStream* stream = m_format->streams[m_stream];
    const std::int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    if (av_seek_frame(m_format, m_stream, start, AVSEEK_FLAG_BACKWARD) < 0 &&
        avformat_seek_file(m_format, -1, INT64_MIN, 0, 0, 0) < 0) {
        return false;
    }
    avcodec_flush_buffers(m_codec);
    m_draining = false;
    return true;
}

double DemuxContext::DurationSeconds() const {
    if (m_format == nullptr || m_format->duration <= 0) {
        return 0.0;
    }
    return double(m_format->duration) / AV_TIME_BASE;
}

double DemuxContext::FrameSeconds(const AVFrame& frame) const {
    const AVStream* stream = m_format->streams[m_stream];
    std::int64_t pts = frame.best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) {
        pts = frame.pts;
    }
    if (pts == AV_NOPTS_VALUE) {
        return 0.0;
    }
    if (stream->start_time != AV_NOPTS_VALUE) {
        pts -= stream->start_time;
    }
    return double(pts) * av_q2d(stream->time_base);
}

double DemuxContext::FrameDurationSeconds() const {
    const AVStream* stream = m_format->streams[m_stream];
    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) {
        rate = stream->r_frame_rate;
    }
    if (rate.num <= 0 || rate.den <= 0) {
        return 1.0 / 25.0;
    }
    return av_q2d(av_inv_q(rate));
}

FrameConverter::~FrameConverter() {
    sws_freeContext(m_sws);
}

void PremultiplyRow(std::uint32_t* pixels, int count) {
    for (int i = 0; i < count; ++i) {
        const std::uint32_t p = pixels[i];
        const std::uint32_t a = p >> 24;
        if (a == 255) {
            continue;
        }
        std::uint32_t out = a << 24;
        for (int shift = 0; shift < 24; shift += 8) {
            const std::uint32_t t = ((p >> shift) & 0xFFu) * a + 128u;
            out |= ((t + (t >> 8)) >> 8) << shift;
        }
        pixels[i] = out;
    }
}

namespace {

bool AlphaAllZero(const MediaFrame& frame) {
    for (int y = 0; y < frame.height(); ++y) {
        const std::uint32_t* row = frame.row(y);
        for (int x = 0; x < frame.width(); ++x) {
            if ((row[x] >> 24) != 0) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

MutableFramePtr FrameConverter::Convert(const AVFrame& frame, int width, int height,
                                        FramePool& pool, ZeroAlpha zeroAlpha) {
    const auto format = static_cast<AVPixelFormat>(frame.format);
    if (frame.width < 1 || frame.height < 1 || format == AV_PIX_FMT_NONE) {
        return nullptr;
    }
    if (width <= 0 || height <= 0) {
        width = frame.width;
        height = frame.height;
    }
    const bool scaled = width != frame.width || height != frame.height;
    m_sws = sws_getCachedContext(m_sws, frame.width, frame.height, format, width, height,
                                 AV_PIX_FMT_BGRA, scaled ? SWS_BILINEAR : SWS_POINT, nullptr,
                                 nullptr, nullptr);
    if (m_sws == nullptr) {
        return nullptr;
    }
    MutableFramePtr out = pool.Acquire(width, height);
    std::uint8_t* planes[4] = {out->bits(), nullptr, nullptr, nullptr};
    int strides[4] = {out->rowBytes(), 0, 0, 0};
    if (sws_scale(m_sws, frame.data, frame.linesize, 0, frame.height, planes, strides) != height) {
        return nullptr;
    }
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    const bool hasAlpha = descriptor != nullptr && (descriptor->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
    if (hasAlpha && zeroAlpha == ZeroAlpha::MeansOpaque && AlphaAllZero(*out)) {
        for (int y = 0; y < height; ++y) {
            std::uint32_t* row = out->row(y);
            for (int x = 0; x < width; ++x) {
                row[x] |= 0xFF000000u;
            }
        }
        out->SetOpaque(true);
    } else if (hasAlpha) {
        for (int y = 0; y < height; ++y) {
            PremultiplyRow(out->row(y), width);
        }
        out->Analyse();
    } else {
        out->SetOpaque(true);
    }
    out->SetTag(-1);
    return out;
}

} // namespace quorvel::media
