// quorvel-tool render: one preview frame of a template, composed as the designer's preview does.

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

#include "commands.h"
#include "preview/input_sources.h"
#include "preview/media/video_format.h"
#include "preview/offline_render.h"
#include "storage/handoff.h"
#include "storage/template_file.h"
#include "util/helpers.h"

namespace quorvel::tool {

namespace {

constexpr char kUsage[] = "usage: render TEMPLATE --out FILE.png [--size WxH] [--background FILE]";

// The video size a template's name carries ("PIPTemplate_1920x1080 _1.DAT").
std::optional<QSize> SizeFromTemplateName(const QString& path) {
    static const QRegularExpression pattern(QStringLiteral("PIPTemplate_(\\d{1,6})x(\\d{1,6})"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = pattern.match(QFileInfo(path).fileName());
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const QSize size(m.captured(1).toInt(), m.captured(2).toInt());
    return size.width() > 0 && size.height() > 0 ? std::optional<QSize>(size) : std::nullopt;
}

} // namespace

int RunRender(const QStringList& args) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(
        {QStringLiteral("out"), QStringLiteral("PNG file to write"), QStringLiteral("file")});
    parser.addOption({QStringLiteral("size"), QStringLiteral("video size"), QStringLiteral("WxH")});
    parser.addOption({QStringLiteral("background"), QStringLiteral("background picture or clip"),
                      QStringLiteral("file")});
    if (!parser.parse(QStringList{QStringLiteral("quorvel-tool")} + args)) {
        return Fail(parser.errorText() + QStringLiteral("\n") + QLatin1String(kUsage));
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1 || !parser.isSet(QStringLiteral("out"))) {
        return Fail(QLatin1String(kUsage));
    }
    const QString templatePath = positional.first();
    const QString outPath = parser.value(QStringLiteral("out"));

    OfflineRenderRequest request;
    if (!QFileInfo(templatePath).isFile()) {
        return Fail(QStringLiteral("no template file at \"%1\"").arg(templatePath));
    }
    request.layout = InitialPipSetup();
    if (!LoadTemplatePath(templatePath, request.layout)) {
        return Fail(QStringLiteral("cannot read the template file \"%1\"").arg(templatePath));
    }

    const QString handoff = GetHandoffFileName();
    std::optional<QSize> size;
    if (parser.isSet(QStringLiteral("size"))) {
        size = ParseSize(parser.value(QStringLiteral("size")));
        if (!size) {
            return Fail(QStringLiteral("--size must be WxH with positive numbers, e.g. 1920x1080 "
                                       "(got \"%1\")")
                            .arg(parser.value(QStringLiteral("size"))));
        }
    } else {
        size = SizeFromTemplateName(templatePath);
    }
    if (!size) {
        const media::ResolvedFormat f =
            media::ResolveFormat(media::AVPropsForCode(ReadVideoFormat(handoff)));
        size = f.width > 0 ? QSize(f.width, f.height) : QSize(1920, 1080);
    }
    if (size->width() > 16384 || size->height() > 16384) {
        return Fail(QStringLiteral("--size is larger than 16384 x 16384"));
    }
    request.size = {size->width(), size->height()};

    if (parser.isSet(QStringLiteral("background"))) {
        request.background = parser.value(QStringLiteral("background"));
        if (!request.background.contains(QLatin1String("://")) &&
            !request.background.contains(u'*') && !QFileInfo(request.background).isFile()) {
            return Fail(QStringLiteral("no background file at \"%1\"").arg(request.background));
        }
    }
    request.indexProgram = ReadIndexProgram(handoff);
    request.inputCount = ReadQuantPreview(handoff);
    request.handoffPath = handoff;
    request.settingsPath = DesignerSettingsPath();
    request.executableFolder = ExecutableFolder();

    const OfflineRenderResult result = RenderLayoutFrame(request);
    for (const QString& warning : result.warnings) {
        Fail(warning, 0);
    }
    if (!result.frame) {
        return Fail(QStringLiteral("nothing to draw on"), kExitBadInput);
    }
    if (!result.frame->ToImage().save(outPath, "PNG")) {
        return Fail(QStringLiteral("cannot write \"%1\"").arg(outPath), kExitWriteFailed);
    }
    return kExitOk;
}

} // namespace quorvel::tool
