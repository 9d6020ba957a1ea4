#pragma once
// Small media for the preview tests, made with the ffmpeg command the first time a test asks for
// them, in the build folder (never committed). Safe when several test programs ask at once: each
// file is written under a temporary name and then renamed into place.

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace quorvel::testing {

inline QString TestMediaDir() {
    const QString dir = QStringLiteral(QUORVEL_BINARY_DIR "/tests/preview/media");
    QDir().mkpath(dir);
    return dir;
}

// Runs `ffmpeg -y -v error <arguments> <output>` unless name already exists; returns its path
// (empty when ffmpeg failed). arguments may contain {out} in place of the output's path.
inline QString MakeMedia(const QString& name, const QString& arguments) {
    const QString path = TestMediaDir() + QLatin1Char('/') + name;
    if (QFileInfo::exists(path)) {
        return path;
    }
    const QFileInfo info(path);
    const QString temp = info.path() + QStringLiteral("/tmp%1_").arg(getpid()) + info.fileName();
    QString command = QStringLiteral("ffmpeg -nostdin -y -v error ") + arguments;
    if (command.contains(QLatin1String("{out}"))) {
        command.replace(QLatin1String("{out}"), QLatin1Char('"') + temp + QLatin1Char('"'));
    } else {
        command += QStringLiteral(" \"%1\"").arg(temp);
    }
    if (std::system(command.toLocal8Bit().constData()) != 0) {
        return {};
    }
    QFile::rename(temp, path); // loses only to an identical file made at the same moment
    QFile::remove(temp);
    return QFileInfo::exists(path) ? path : QString();
}

// 64 x 48 at 25 frames per second: five red frames, then five blue ones.
inline QString RedBlueClip() {
    return MakeMedia(
        QStringLiteral("red_blue.mp4"),
        QStringLiteral("-f lavfi -i color=c=red:s=64x48:r=25:d=0.2 -f lavfi -i "
                       "color=c=blue:s=64x48:r=25:d=0.2 -filter_complex \"[0][1]concat=n=2:v=1\" "
                       "-c:v mpeg4 -q:v 2 -pix_fmt yuv420p"));
}

// 32 x 24, pure red whose alpha rises by 8 per column (0 at the left).
// The other formats are converted from the PNG (JPEG keeps no alpha, GIF keeps it on or off).
inline QString AlphaPicture(const QString& extension) {
    const QString png = MakeMedia(
        QStringLiteral("alpha.png"),
        QStringLiteral(
            "-f lavfi -i \"nullsrc=s=32x24,format=rgba,geq=r=255:g=0:b=0:a='X*8'\" -frames:v 1"));
    if (extension == QLatin1String("png") || png.isEmpty()) {
        return png;
    }
    QString args = QStringLiteral("-i \"%1\"").arg(png);
    if (extension == QLatin1String("bmp") || extension == QLatin1String("tga")) {
        args += QStringLiteral(" -pix_fmt bgra");
    } else if (extension == QLatin1String("gif")) {
        args += QStringLiteral(" -vf \"split[a][b];[a]palettegen=reserve_transparent=1[p];"
                               "[b][p]paletteuse=alpha_threshold=128\"");
    }
    return MakeMedia(QStringLiteral("alpha.") + extension, args);
}

// Five 16 x 16 pictures seq_1.png .. seq_5.png: red, green, blue, yellow, white.
inline QString SequencePattern() {
    static const char* const colours[] = {"red", "lime", "blue", "yellow", "white"};
    for (int i = 0; i < 5; ++i) {
        if (MakeMedia(QStringLiteral("seq_%1.png").arg(i + 1),
                      QStringLiteral("-f lavfi -i color=c=%1:s=16x16 -frames:v 1")
                          .arg(QLatin1String(colours[i])))
                .isEmpty()) {
            return {};
        }
    }
    return TestMediaDir() + QStringLiteral("/seq_*.png");
}

} // namespace quorvel::testing
