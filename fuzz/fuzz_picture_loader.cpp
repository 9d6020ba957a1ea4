// The picture loader, as the preview loads the back and front pictures the operator picks and the
// pictures beside the executable: any bytes under any picture name give a frame or nothing, never
// a crash; a frame has a real size, its alpha analysis agrees with its pixels, and it draws onto a
// frame of the video size the way composition draws it.
//
// Input: the first byte picks the name's extension, the rest is the file.

#include "fuzz_support.h"
#include "preview/media/frame_factory.h"
#include "preview/media/media_frame.h"

using namespace quorvel;

namespace {

constexpr const char* kExtensions[] = {"png", "jpg", "bmp", "tga", "gif", "tif"};
constexpr std::size_t kExtensionCount = sizeof kExtensions / sizeof kExtensions[0];

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    static const fuzz::ScratchFile folder(QStringLiteral("unused"));
    const QString path =
        folder.Folder() + QStringLiteral("/picture.") + kExtensions[data[0] % kExtensionCount];
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data + 1),
                              static_cast<qint64>(size - 1)) == static_cast<qint64>(size - 1));
    }

    const media::MutableFramePtr picture = media::LoadPicture(path);
    if (!picture) {
        return 0;
    }
    FUZZ_CHECK(picture->width() >= 1 && picture->height() >= 1);
    if (picture->opaque()) {
        for (int y = 0; y < picture->height(); ++y) {
            const std::uint32_t* row = picture->row(y);
            for (int x = 0; x < picture->width(); ++x) {
                FUZZ_CHECK((row[x] >> 24) == 0xFF);
            }
        }
    }
    // A front overlay stretched over a small video frame, and a crop of it placed in a PIP.
    const media::MutableFramePtr video = media::MediaFrame::Create(64, 36);
    video->Overlay(*picture);
    video->OverlayRect(*picture, QRect(1, 1, picture->width() / 2 + 1, picture->height()),
                       QRect(40, 20, 30, 20));
    return 0;
}
