// preset, template, adjust and handoff: the layout commands.

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>

#include "commands.h"
#include "core/adjust.h"
#include "core/presets.h"
#include "storage/handoff.h"
#include "storage/layout_json.h"
#include "storage/template_file.h"

namespace quorvel::tool {

namespace {

void Print(const QByteArray& text) {
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    std::fflush(stdout);
}

// Parses options; on failure returns the message to print.
QString Parse(QCommandLineParser& parser, const QStringList& args) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(QStringList{QStringLiteral("quorvel-tool")} + args)) {
        return parser.errorText();
    }
    return {};
}

std::optional<int> ParseInt(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

int RequireSize(const QCommandLineParser& parser, VideoSize& video) {
    if (!parser.isSet(QStringLiteral("size"))) {
        return Fail(QStringLiteral("--size WxH is required"));
    }
    const auto size = ParseSize(parser.value(QStringLiteral("size")));
    if (!size) {
        return Fail(
            QStringLiteral("--size must be WxH with positive numbers, e.g. 1920x1080 (got \"%1\")")
                .arg(parser.value(QStringLiteral("size"))));
    }
    video = {size->width(), size->height()};
    return kExitOk;
}

int WriteTemplate(const QString& path, const TPipSetup& setup) {
    try {
        SaveTemplatePath(path, setup);
    } catch (const TemplateSaveError& e) {
        return Fail(QString::fromStdString(e.what()), kExitWriteFailed);
    }
    return kExitOk;
}

int ReadTemplate(const QString& path, TPipSetup& setup) {
    if (!QFileInfo(path).isFile()) {
        return Fail(QStringLiteral("no template file at \"%1\"").arg(path));
    }
    if (!LoadTemplatePath(path, setup)) {
        return Fail(QStringLiteral("cannot read the template file \"%1\"").arg(path));
    }
    return kExitOk;
}

int TemplateShow(const QStringList& rest) {
    if (rest.size() != 1) {
        return Fail(QStringLiteral("usage: template show FILE"));
    }
    TPipSetup setup = InitialPipSetup();
    if (const int rc = ReadTemplate(rest.first(), setup); rc != kExitOk) {
        return rc;
    }
    Print(LayoutToJson(setup));
    return kExitOk;
}

int TemplateWrite(const QStringList& rest) {
    if (rest.size() != 1) {
        return Fail(QStringLiteral("usage: template write FILE < layout.json"));
    }
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
        return Fail(QStringLiteral("cannot read standard input"));
    }
    TPipSetup setup = InitialPipSetup();
    const QString error = LayoutFromJson(in.readAll(), setup);
    if (!error.isEmpty()) {
        return Fail(QStringLiteral("standard input: %1").arg(error));
    }
    return WriteTemplate(rest.first(), setup);
}

int TemplateName(const QStringList& args) {
    QCommandLineParser parser;
    parser.addOptions({{QStringLiteral("size"), QString(), QStringLiteral("WxH")},
                       {QStringLiteral("slot"), QString(), QStringLiteral("N")},
                       {QStringLiteral("set"), QString(), QStringLiteral("N")}});
    if (const QString error = Parse(parser, args); !error.isEmpty()) {
        return Fail(error);
    }
    VideoSize video;
    if (const int rc = RequireSize(parser, video); rc != kExitOk) {
        return rc;
    }
    const auto slot = ParseInt(parser.value(QStringLiteral("slot")));
    const auto set = ParseInt(parser.value(QStringLiteral("set")));
    if (!slot || *slot < 1 || *slot > kSlotCount) {
        return Fail(QStringLiteral("--slot must be a number from 1 to 6"));
    }
    if (!set || *set < 1 || *set > 26) {
        return Fail(QStringLiteral("--set must be a number from 1 to 26"));
    }
    Print(TemplateFileName(*slot, *set, video).toUtf8() + '\n');
    return kExitOk;
}

} // namespace

int RunPreset(const QStringList& args) {
    QCommandLineParser parser;
    parser.addOptions({{QStringLiteral("size"), QString(), QStringLiteral("WxH")},
                       {QStringLiteral("inputs"), QString(), QStringLiteral("a,b,c,d")}});
    parser.addPositionalArgument(QStringLiteral("name"), QString());
    if (const QString error = Parse(parser, args); !error.isEmpty()) {
        return Fail(error);
    }
    if (parser.positionalArguments().size() != 1) {
        return Fail(QStringLiteral("usage: preset NAME --size WxH [--inputs a,b,c,d]"));
    }
    const QString name = parser.positionalArguments().first();
    const PresetInfo* preset = FindPreset(name);
    if (preset == nullptr) {
        QStringList known;
        for (const PresetInfo& p : PresetCatalogue()) {
            known << QStringLiteral("\"%1\" (%2)")
                         .arg(QString::fromUtf16(p.caption), QLatin1String(p.buttonName));
        }
        return Fail(
            QStringLiteral("unknown preset \"%1\"; known: %2").arg(name, known.join(u", ")));
    }
    VideoSize video;
    if (const int rc = RequireSize(parser, video); rc != kExitOk) {
        return rc;
    }
    std::array<int, kPipCount> inputs = {1, 2, 3, 4};
    if (parser.isSet(QStringLiteral("inputs"))) {
        const QStringList parts = parser.value(QStringLiteral("inputs")).split(u',');
        if (parts.size() != static_cast<qsizetype>(kPipCount)) {
            return Fail(QStringLiteral("--inputs takes four numbers, e.g. 1,2,3,4"));
        }
        for (std::size_t i = 0; i < kPipCount; ++i) {
            const auto n = ParseInt(parts[static_cast<qsizetype>(i)].trimmed());
            if (!n) {
                return Fail(QStringLiteral("--inputs: \"%1\" is not a number")
                                .arg(parts[static_cast<qsizetype>(i)]));
            }
            inputs[i] = *n;
        }
    }
    TPipSetup setup = InitialPipSetup();
    ApplyLayoutButton(*preset, inputs, video, setup);
    Print(LayoutToJson(setup));
    return kExitOk;
}

int RunTemplate(const QStringList& args) {
    if (args.isEmpty()) {
        return Fail(QStringLiteral("usage: template show|write|name ..."));
    }
    const QString sub = args.first();
    const QStringList rest = args.mid(1);
    if (sub == QLatin1String("show")) {
        return TemplateShow(rest);
    }
    if (sub == QLatin1String("write")) {
        return TemplateWrite(rest);
    }
    if (sub == QLatin1String("name")) {
        return TemplateName(rest);
    }
    return Fail(QStringLiteral("unknown template command \"%1\" (show, write or name)").arg(sub));
}

int RunAdjust(const QStringList& args) {
    QCommandLineParser parser;
    parser.addOptions(
        {{QStringLiteral("pip"), QString(), QStringLiteral("N")},
         {QStringLiteral("size"), QString(), QStringLiteral("WxH")},
         {QStringLiteral("op"), QString(), QStringLiteral("OP")},
         {QStringLiteral("mode"), QString(), QStringLiteral("externo|interno"),
          QStringLiteral("externo")},
         {QStringLiteral("step"), QString(), QStringLiteral("F"), QStringLiteral("10")},
         {QStringLiteral("repeat"), QString(), QStringLiteral("K"), QStringLiteral("1")}});
    parser.addPositionalArgument(QStringLiteral("file"), QString());
    if (const QString error = Parse(parser, args); !error.isEmpty()) {
        return Fail(error);
    }
    if (parser.positionalArguments().size() != 1) {
        return Fail(
            QStringLiteral("usage: adjust FILE --pip N --size WxH --op OP [--mode externo|interno] "
                           "[--step F] [--repeat K]"));
    }
    const auto pip = ParseInt(parser.value(QStringLiteral("pip")));
    if (!pip || *pip < 1 || *pip > static_cast<int>(kPipCount)) {
        return Fail(QStringLiteral("--pip must be a number from 1 to 4"));
    }
    VideoSize video;
    if (const int rc = RequireSize(parser, video); rc != kExitOk) {
        return rc;
    }
    const auto op = AdjustOpFromName(parser.value(QStringLiteral("op")));
    if (!op) {
        return Fail(
            QStringLiteral("unknown operation \"%1\"; known: up, down, left, right, zoom-in, "
                           "zoom-out, crop-right, crop-left, crop-top, crop-bottom, "
                           "ensure-crop, border-to-all")
                .arg(parser.value(QStringLiteral("op"))));
    }
    const QString modeName = parser.value(QStringLiteral("mode")).toLower();
    if (modeName != QLatin1String("externo") && modeName != QLatin1String("interno")) {
        return Fail(QStringLiteral("--mode must be externo or interno"));
    }
    const AdjustMode mode =
        modeName == QLatin1String("interno") ? AdjustMode::Interno : AdjustMode::Externo;
    const auto step = ParseInt(parser.value(QStringLiteral("step")));
    if (!step || *step < 1 || *step > 10000) {
        return Fail(QStringLiteral("--step must be a whole number of pixels from 1 to 10000"));
    }
    const auto repeat = ParseInt(parser.value(QStringLiteral("repeat")));
    if (!repeat || *repeat < 1 || *repeat > 100000) {
        return Fail(QStringLiteral("--repeat must be a number from 1 to 100000"));
    }
    const QString path = parser.positionalArguments().first();
    TPipSetup setup = InitialPipSetup();
    if (const int rc = ReadTemplate(path, setup); rc != kExitOk) {
        return rc;
    }
    for (int i = 0; i < *repeat; ++i) {
        ApplyAdjustOp(*op, setup, *pip, *step, mode, video);
    }
    return WriteTemplate(path, setup);
}

int RunHandoff(const QStringList& args) {
    if (args.size() > 1) {
        return Fail(QStringLiteral("usage: handoff [FILE]"));
    }
    const QString path = args.isEmpty() ? GetHandoffFileName() : args.first();
    if (!args.isEmpty() && !QFileInfo(path).isFile()) {
        return Fail(QStringLiteral("no hand-off file at \"%1\"").arg(path));
    }
    QJsonArray devices;
    QJsonArray formats;
    for (int i = 1; i <= kMaxInputs; ++i) {
        devices.append(ReadInputIsDevice(path, i));
        formats.append(ReadInputFormat(path, i));
    }
    const DefIndexAndCaption defAndCaption = ReadDefIndexAndCaption(path);
    QJsonObject out;
    out.insert(QStringLiteral("IndexProgram"), ReadIndexProgram(path));
    out.insert(QStringLiteral("ButtonIndex"), ClampSlot(ReadButtonIndex(path)));
    out.insert(QStringLiteral("QuantPreview"), ClampInputCount(ReadQuantPreview(path)));
    out.insert(QStringLiteral("VideoFormat"), ReadVideoFormat(path));
    out.insert(QStringLiteral("InputIsDevice"), devices);
    out.insert(QStringLiteral("InputFormat"), formats);
    out.insert(QStringLiteral("DefIndex"), defAndCaption.defIndex);
    out.insert(QStringLiteral("Caption"),
               defAndCaption.caption.value_or(QStringLiteral("Quorvel")));
    Print(QJsonDocument(out).toJson(QJsonDocument::Indented));
    return kExitOk;
}

} // namespace quorvel::tool
