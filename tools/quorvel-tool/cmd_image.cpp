// quorvel-tool image: the picture tools from the command line. resample and fit-widescreen read
// any picture Qt reads and write PNG (lossless, so the exact arithmetic can be checked byte by
// byte); convert-jpeg runs the JPEG converter the preview uses. Outputs appear whole or not at all.

#include <QCommandLineParser>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>
#include <cmath>

#include "commands.h"
#include "util/image/image_tools.h"

namespace quorvel::tool {

namespace {

constexpr char kImageUsage[] =
    "usage: quorvel-tool image <tool> IN OUT [options]\n"
    "\n"
    "  resample IN OUT --size WxH       resize by exact bilinear interpolation; PNG out\n"
    "  fit-widescreen IN OUT [--radius R]\n"
    "                                   centre the picture in a 16:9 frame whose bands show a\n"
    "                                   blurred, stretched copy of it (R: 0 to 50, default 10); "
    "PNG out\n"
    "  convert-jpeg IN OUT --width W --height H [--quality Q] [--enlarge] [--fit-widescreen]\n"
    "               [--exact-size]      the preview's JPEG converter: scale a JPEG to W wide\n"
    "                                   (quality 1 to 100, default 100); writes nothing when the\n"
    "                                   picture is not wider than W, unless --enlarge or "
    "--exact-size\n";

constexpr float kDefaultRadius = 10.0f;
constexpr float kMaxRadius = 50.0f;
constexpr int kDefaultQuality = 100;

void PrintLine(const QString& line) {
    QTextStream(stdout) << line << Qt::endl;
}

QString SizeText(const QImage& image) {
    return QStringLiteral("%1x%2").arg(image.width()).arg(image.height());
}

// Parses "<tool> IN OUT [options]"; the tool name itself is already known.
struct Parsed {
    QString in;
    QString out;
};

std::optional<Parsed> ParseArguments(QCommandLineParser& parser, const QStringList& args,
                                     const QString& tool, QString& error) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // QCommandLineParser takes the program name first.
    if (!parser.parse(QStringList{QStringLiteral("quorvel-tool image")} + args)) {
        error = QStringLiteral("image %1: %2").arg(tool, parser.errorText());
        return std::nullopt;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2) {
        error =
            QStringLiteral("image %1: expected IN and OUT, got %2 file names (see image --help)")
                .arg(tool)
                .arg(positional.size());
        return std::nullopt;
    }
    return Parsed{positional[0], positional[1]};
}

// Reads a picture; an empty image and a message when it cannot.
QImage ReadPicture(const QString& path, QString& error) {
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        error = QStringLiteral("cannot read %1: %2").arg(path, reader.errorString());
    }
    return image;
}

// Writes PNG through a temporary file, so that a failure leaves no partial file behind.
int WritePng(const QImage& image, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return Fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()),
                    kExitWriteFailed);
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(image) || !file.commit()) {
        const QString reason = writer.error() != QImageWriter::UnknownError ? writer.errorString()
                                                                            : file.errorString();
        return Fail(QStringLiteral("cannot write %1: %2").arg(path, reason), kExitWriteFailed);
    }
    PrintLine(QStringLiteral("%1: %2").arg(path, SizeText(image)));
    return kExitOk;
}

int RunResample(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption sizeOption(QStringLiteral("size"), QString(), QStringLiteral("WxH"));
    parser.addOption(sizeOption);
    QString error;
    const std::optional<Parsed> files =
        ParseArguments(parser, args, QStringLiteral("resample"), error);
    if (!files) {
        return Fail(error);
    }
    if (!parser.isSet(sizeOption)) {
        return Fail(QStringLiteral("image resample: --size WxH is required"));
    }
    const std::optional<QSize> size = ParseSize(parser.value(sizeOption));
    if (!size) {
        return Fail(QStringLiteral("image resample: --size must look like 1920x1080, not \"%1\"")
                        .arg(parser.value(sizeOption)));
    }
    const QImage src = ReadPicture(files->in, error);
    if (src.isNull()) {
        return Fail(error);
    }
    QImage dst(*size, QImage::Format_BGR888);
    if (dst.isNull()) {
        return Fail(QStringLiteral("image resample: %1x%2 is too large")
                        .arg(size->width())
                        .arg(size->height()));
    }
    ResampleBitmap(src, dst);
    return WritePng(dst, files->out);
}

int RunFitWidescreen(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption radiusOption(QStringLiteral("radius"), QString(), QStringLiteral("R"));
    parser.addOption(radiusOption);
    QString error;
    const std::optional<Parsed> files =
        ParseArguments(parser, args, QStringLiteral("fit-widescreen"), error);
    if (!files) {
        return Fail(error);
    }
    float radius = kDefaultRadius;
    if (parser.isSet(radiusOption)) {
        bool ok = false;
        radius = parser.value(radiusOption).toFloat(&ok);
        if (!ok || !std::isfinite(radius) || radius < 0.0f || radius > kMaxRadius) {
            return Fail(QStringLiteral("image fit-widescreen: --radius must be a number from 0 to "
                                       "50, not \"%1\"")
                            .arg(parser.value(radiusOption)));
        }
    }
    const QImage src = ReadPicture(files->in, error);
    if (src.isNull()) {
        return Fail(error);
    }
    QImage dst;
    FitToWidescreen(src, dst, radius);
    if (dst.isNull()) {
        return Fail(QStringLiteral("image fit-widescreen: the 16:9 frame for %1 is too large")
                        .arg(SizeText(src)));
    }
    return WritePng(dst, files->out);
}

// A positive whole number option; nullopt (and a message) when it is missing or malformed.
std::optional<int> PositiveOption(const QCommandLineParser& parser,
                                  const QCommandLineOption& option, QString& error) {
    const QString name = option.names().constFirst();
    if (!parser.isSet(option)) {
        error = QStringLiteral("image convert-jpeg: --%1 is required").arg(name);
        return std::nullopt;
    }
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value <= 0) {
        error =
            QStringLiteral("image convert-jpeg: --%1 must be a positive whole number, not \"%2\"")
                .arg(name, parser.value(option));
        return std::nullopt;
    }
    return value;
}

int RunConvertJpeg(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption widthOption(QStringLiteral("width"), QString(), QStringLiteral("W"));
    const QCommandLineOption heightOption(QStringLiteral("height"), QString(), QStringLiteral("H"));
    const QCommandLineOption qualityOption(QStringLiteral("quality"), QString(),
                                           QStringLiteral("Q"));
    const QCommandLineOption enlargeOption(QStringLiteral("enlarge"));
    const QCommandLineOption fitOption(QStringLiteral("fit-widescreen"));
    const QCommandLineOption exactOption(QStringLiteral("exact-size"));
    parser.addOptions(
        {widthOption, heightOption, qualityOption, enlargeOption, fitOption, exactOption});
    QString error;
    const std::optional<Parsed> files =
        ParseArguments(parser, args, QStringLiteral("convert-jpeg"), error);
    if (!files) {
        return Fail(error);
    }
    const std::optional<int> width = PositiveOption(parser, widthOption, error);
    if (!width) {
        return Fail(error);
    }
    const std::optional<int> height = PositiveOption(parser, heightOption, error);
    if (!height) {
        return Fail(error);
    }
    int quality = kDefaultQuality;
    if (parser.isSet(qualityOption)) {
        bool ok = false;
        quality = parser.value(qualityOption).toInt(&ok);
        if (!ok || quality < 1 || quality > 100) {
            return Fail(QStringLiteral("image convert-jpeg: --quality must be from 1 to 100, "
                                       "not \"%1\"")
                            .arg(parser.value(qualityOption)));
        }
    }
    const QFileInfo in(files->in);
    if (!in.isFile()) {
        return Fail(QStringLiteral("cannot read %1: no such file").arg(files->in));
    }
    // The converter splits each path into folder and name; a bare name gets the current folder.
    const QString out = QFileInfo(files->out).absoluteFilePath();
    const ConvertResult result = ConvertJPEGFile(
        in.absoluteFilePath(), out, *width, *height, quality, parser.isSet(enlargeOption),
        parser.isSet(fitOption), parser.isSet(exactOption));
    switch (result) {
    case ConvertResult::Written: {
        const QImageReader written(out);
        PrintLine(QStringLiteral("%1: %2x%3")
                      .arg(files->out)
                      .arg(written.size().width())
                      .arg(written.size().height()));
        return kExitOk;
    }
    case ConvertResult::SourceUnreadable:
        return Fail(QStringLiteral("cannot read %1: not a JPEG picture").arg(files->in));
    case ConvertResult::NothingToWrite:
        PrintLine(QStringLiteral("no file written: the picture is not wider than %1 pixels "
                                 "(--enlarge writes narrower pictures too)")
                      .arg(*width));
        return kExitOk;
    case ConvertResult::FolderUnavailable:
        return Fail(QStringLiteral("cannot create the folder of %1").arg(files->out),
                    kExitWriteFailed);
    }
    return kExitOk;
}

} // namespace

int RunImage(const QStringList& args) {
    if (args.isEmpty()) {
        return Fail(QStringLiteral("image: which tool? resample, fit-widescreen or convert-jpeg "
                                   "(see image --help)"));
    }
    const QString tool = args.first();
    const QStringList rest = args.mid(1);
    const auto isHelp = [](const QString& arg) {
        return arg == QLatin1String("--help") || arg == QLatin1String("-h");
    };
    if (tool == QLatin1String("help") || std::any_of(args.begin(), args.end(), isHelp)) {
        QTextStream(stdout) << kImageUsage;
        return kExitOk;
    }
    try {
        if (tool == QLatin1String("resample")) {
            return RunResample(rest);
        }
        if (tool == QLatin1String("fit-widescreen")) {
            return RunFitWidescreen(rest);
        }
        if (tool == QLatin1String("convert-jpeg")) {
            return RunConvertJpeg(rest);
        }
    } catch (const ImageError& e) {
        return Fail(QString::fromStdString(e.what()), kExitWriteFailed);
    }
    return Fail(QStringLiteral("image: unknown tool \"%1\" (resample, fit-widescreen or "
                               "convert-jpeg)")
                    .arg(tool));
}

} // namespace quorvel::tool
