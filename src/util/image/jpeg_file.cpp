// JPEG files through libjpeg-turbo's TurboJPEG API: decoding to 24-bit BGR, encoding with a
// quality (4:2:0 chroma, baseline, the library's accurate DCT), written whole or not at all.

#include "util/helpers.h"
#include "util/image/image_tools.h"

#include <QFile>
#include <QSaveFile>

#include <turbojpeg.h>

#include <algorithm>
#include <memory>

namespace quorvel {

namespace {

struct TurboJpegCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TurboJpegHandle = std::unique_ptr<void, TurboJpegCloser>;

struct TurboJpegFreer {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};
using TurboJpegBuffer = std::unique_ptr<unsigned char, TurboJpegFreer>;

// A decoder warning (a truncated file, say) still leaves a whole picture, as other viewers show it.
bool DecodedWell(int status, void* handle) {
    return status == 0 || tjGetErrorCode(handle) == TJERR_WARNING;
}

} // namespace

bool LoadJPEGFile(QImage& bitmap, const QString& folder, const QString& fileName) {
    if (fileName.isEmpty()) {
        return false;
    }
    QFile file(folder + fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray data = file.readAll();
    if (data.isEmpty() || file.error() != QFileDevice::NoError) {
        return false;
    }
    const TurboJpegHandle decoder(tjInitDecompress());
    if (!decoder) {
        return false;
    }
    const auto* jpeg = reinterpret_cast<const unsigned char*>(data.constData());
    const auto jpegSize = static_cast<unsigned long>(data.size());
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colorspace = 0;
    if (tjDecompressHeader3(decoder.get(), jpeg, jpegSize, &width, &height, &subsampling,
                            &colorspace) != 0 ||
        width <= 0 || height <= 0) {
        return false;
    }
    QImage decoded(width, height, QImage::Format_BGR888);
    if (decoded.isNull()) {
        return false; // too large to hold
    }
    const int status = tjDecompress2(decoder.get(), jpeg, jpegSize, decoded.bits(), width,
                                     static_cast<int>(decoded.bytesPerLine()), height, TJPF_BGR, 0);
    if (!DecodedWell(status, decoder.get())) {
        return false;
    }
    bitmap = std::move(decoded);
    return true;
}

bool SaveJPEGFile(const QImage& bitmap, const QString& folder, const QString& fileName,
                  int quality) {
    if (folder.isEmpty()) {
        throw ImageError("JPEG destination has no folder: " + fileName.toStdString());
    }
    if (!ForceFolder(folder)) {
        return false;
    }
    const QImage image = ToBitmap24(bitmap);
    if (image.isNull()) {
        throw ImageError("cannot encode an empty picture as JPEG");
    }
    const TurboJpegHandle encoder(tjInitCompress());
    if (!encoder) {
        throw ImageError("cannot start the JPEG encoder");
    }
    unsigned char* encoded = nullptr;
    unsigned long encodedSize = 0;
    const int status =
        tjCompress2(encoder.get(), image.constBits(), image.width(),
                    static_cast<int>(image.bytesPerLine()), image.height(), TJPF_BGR, &encoded,
                    &encodedSize, TJSAMP_420, std::clamp(quality, 1, 100), 0);
    const TurboJpegBuffer owned(encoded);
    if (status != 0) {
        throw ImageError(std::string("cannot encode JPEG: ") + tjGetErrorStr2(encoder.get()));
    }
    const QString path = folder + fileName;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(encoded), static_cast<qint64>(encodedSize)) !=
            static_cast<qint64>(encodedSize) ||
        !file.commit()) {
        throw ImageError("cannot write " + path.toStdString() + ": " +
                         file.errorString().toStdString());
    }
    return true;
}

} // namespace quorvel
