// Pictures that declare far more pixels than they hold, found by the picture loader's fuzz target:
// a 192-byte BMP that declares 65548 x 1280 pixels made the loader allocate and clear 335 MB (and
// take seconds) before it found the file broken. The loader must refuse it before allocating.
// Measured in a child, whose peak memory starts where the fork left it.

#include <gtest/gtest.h>

#include <QFile>

#include <string>

#include "hardening/fork_child.h"
#include "preview/media/frame_factory.h"

using namespace quorvel;

namespace {

// The process's peak resident memory in KiB (VmHWM), or -1.
long PeakKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

} // namespace

TEST(PictureLimits, APictureDeclaringHugeSizeIsRefusedBeforeItsPixelsAreAllocated) {
    const QString bomb = QStringLiteral(QUORVEL_TEST_DATA_DIR "/hardening/huge_declared_size.bmp");
    ASSERT_TRUE(QFile::exists(bomb));
    EXPECT_CHILD_OK(test::InChild([&]() -> std::string {
        const long before = PeakKiB();
        if (before < 0) {
            return "skip: no /proc/self/status";
        }
        if (media::LoadPicture(bomb)) {
            return "a broken picture loaded";
        }
        const long grownMiB = (PeakKiB() - before) / 1024;
        if (grownMiB > 100) {
            return "loading it took " + std::to_string(grownMiB) + " MiB more memory";
        }
        return {};
    }));
}
