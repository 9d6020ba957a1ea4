// quorvel-tool end to end: what scripts see on stdout, stderr, in exit codes and in files.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <cstring>

#include "core/presets.h"
#include "storage/layout_json.h"
#include "storage/template_file.h"
#include "support/temp_home.h"

using namespace quorvel;

namespace {

struct ToolRun {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

ToolRun Tool(const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(QStringLiteral(QUORVEL_BINARY_DIR "/tools/quorvel-tool"), args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

QJsonArray Entries(const QByteArray& json) {
    return QJsonDocument::fromJson(json).object().value(QStringLiteral("entries")).toArray();
}

class QuorvelTool : public ::testing::Test {
protected:
    test::TempHome home;
    QString file = home.Path() + QStringLiteral("/t.DAT");
};

} // namespace

TEST_F(QuorvelTool, PresetPrintsTheLayoutTheButtonGives) {
    const ToolRun r =
        Tool({QStringLiteral("preset"), QStringLiteral("Distribuída 1-2"), QStringLiteral("--size"),
              QStringLiteral("1920x1080"), QStringLiteral("--inputs"), QStringLiteral("4,3,2,1")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonArray entries = Entries(r.out);
    ASSERT_EQ(entries.size(), 4);
    const QJsonObject first = entries[0].toObject();
    EXPECT_EQ(first.value(QStringLiteral("InputIndex")).toInt(), 4);
    EXPECT_EQ(first.value(QStringLiteral("RecLeft")).toInt(), 480);
    EXPECT_EQ(first.value(QStringLiteral("Width")).toInt(), 960);
    EXPECT_EQ(first.value(QStringLiteral("Visible")).toBool(), true);
    EXPECT_EQ(first.value(QStringLiteral("ProfileIndex")).toInt(), 5);
    EXPECT_EQ(entries[3].toObject().value(QStringLiteral("Visible")).toBool(), false);

    // The tool and the library agree on every field of every preset.
    for (const PresetInfo& p : PresetCatalogue()) {
        const ToolRun byName = Tool({QStringLiteral("preset"), QLatin1String(p.buttonName),
                                     QStringLiteral("--size"), QStringLiteral("1366x768")});
        TPipSetup expected = InitialPipSetup();
        ApplyLayoutButton(p, {1, 2, 3, 4}, {1366, 768}, expected);
        EXPECT_EQ(byName.out, LayoutToJson(expected)) << p.buttonName;
    }
}

TEST_F(QuorvelTool, TemplateWriteShowAndAdjustRoundTrip) {
    const QByteArray layout = R"({"entries": [
        {"InputIndex": 2, "PosX": 96, "PosY": 90, "Width": 640, "Height": 360, "RecTop": 0,
         "RecLeft": 0, "RecBottom": 1080, "RecRight": 1920, "Visible": true, "Border": 6,
         "BorderColor": 255, "BackFile": "C:\\media\\fundo.png"},
        {"PosX": 5}]})";
    ToolRun r = Tool({QStringLiteral("template"), QStringLiteral("write"), file}, layout);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(QFile(file).size(), 2272);

    r = Tool({QStringLiteral("adjust"), file, QStringLiteral("--pip"), QStringLiteral("1"),
              QStringLiteral("--size"), QStringLiteral("1920x1080"), QStringLiteral("--op"),
              QStringLiteral("zoom-in"), QStringLiteral("--mode"), QStringLiteral("interno")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    r = Tool({QStringLiteral("adjust"), file, QStringLiteral("--pip"), QStringLiteral("1"),
              QStringLiteral("--size"), QStringLiteral("1920x1080"), QStringLiteral("--op"),
              QStringLiteral("right"), QStringLiteral("--repeat"), QStringLiteral("3"),
              QStringLiteral("--step"), QStringLiteral("5")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    r = Tool({QStringLiteral("adjust"), file, QStringLiteral("--pip"), QStringLiteral("1"),
              QStringLiteral("--size"), QStringLiteral("1920x1080"), QStringLiteral("--op"),
              QStringLiteral("border-to-all")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();

    r = Tool({QStringLiteral("template"), QStringLiteral("show"), file});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonArray entries = Entries(r.out);
    const QJsonObject first = entries[0].toObject();
    EXPECT_EQ(first.value(QStringLiteral("RecLeft")).toInt(), 18);
    EXPECT_EQ(first.value(QStringLiteral("RecBottom")).toInt(), 1070);
    EXPECT_EQ(first.value(QStringLiteral("PosX")).toInt(), 111);
    EXPECT_EQ(first.value(QStringLiteral("BackFile")).toString(),
              QStringLiteral("C:\\media\\fundo.png"));
    const QJsonObject second = entries[1].toObject();
    EXPECT_EQ(second.value(QStringLiteral("PosX")).toInt(), 5);
    EXPECT_EQ(second.value(QStringLiteral("RecBottom")).toInt(),
              kUnsetMarker); // missing keys: initial
    EXPECT_EQ(second.value(QStringLiteral("Border")).toInt(), 6);
    EXPECT_EQ(second.value(QStringLiteral("BorderColor")).toInt(), 255);

    // Written again from its own output, the file is byte-identical.
    const QByteArray before = [&] {
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const QString copy = home.Path() + QStringLiteral("/copy.DAT");
    ASSERT_EQ(Tool({QStringLiteral("template"), QStringLiteral("write"), copy}, r.out).code, 0);
    QFile c(copy);
    ASSERT_TRUE(c.open(QIODevice::ReadOnly));
    EXPECT_EQ(c.readAll(), before);
}

TEST_F(QuorvelTool, TemplateNameAndHandoff) {
    ToolRun r = Tool({QStringLiteral("template"), QStringLiteral("name"), QStringLiteral("--size"),
                      QStringLiteral("1280x720"), QStringLiteral("--slot"), QStringLiteral("6"),
                      QStringLiteral("--set"), QStringLiteral("2")});
    EXPECT_EQ(r.out, QByteArray("PIPTemplate_1280x720 _6B.DAT\n"));

    const QString handoff = home.Path() + QStringLiteral("/Quorvel.dat");
    QFile f(handoff);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("2\r\n9\r\n12\r\n25\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n3\r\n0\r\n0\r\n0\r\n0\r"
            "\n0\r\n0\r\n0\r\n"
            "Estúdio\r\n2\r\n");
    f.close();
    r = Tool({QStringLiteral("handoff"), handoff});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(o.value(QStringLiteral("IndexProgram")).toInt(), 2);
    EXPECT_EQ(o.value(QStringLiteral("ButtonIndex")).toInt(), 6);  // clamped from 9
    EXPECT_EQ(o.value(QStringLiteral("QuantPreview")).toInt(), 8); // clamped from 12
    EXPECT_EQ(o.value(QStringLiteral("VideoFormat")).toInt(), 25);
    EXPECT_EQ(o.value(QStringLiteral("InputIsDevice")).toArray()[0].toBool(), true);
    EXPECT_EQ(o.value(QStringLiteral("InputFormat")).toArray()[0].toInt(), 3);
    EXPECT_EQ(o.value(QStringLiteral("DefIndex")).toInt(), 2);
    // Without a byte-order mark the file is read in the ANSI code page, so UTF-8 bytes show as
    // such.
    EXPECT_TRUE(
        o.value(QStringLiteral("Caption")).toString().startsWith(QStringLiteral("Quorvel - Est")));
}

TEST_F(QuorvelTool, BadInputSaysWhatIsWrongAndWritesNothing) {
    struct Case {
        QStringList args;
        QByteArray input;
        const char* mentions;
    };
    const QString missing = home.Path() + QStringLiteral("/missing.DAT");
    const Case cases[] = {
        {{QStringLiteral("preset"), QStringLiteral("Vertical 9"), QStringLiteral("--size"),
          QStringLiteral("1920x1080")},
         {},
         "unknown preset"},
        {{QStringLiteral("preset"), QStringLiteral("Button1"), QStringLiteral("--size"),
          QStringLiteral("1920by1080")},
         {},
         "--size"},
        {{QStringLiteral("template"), QStringLiteral("show"), missing}, {}, "no template file"},
        {{QStringLiteral("template"), QStringLiteral("write"), file},
         "{\"entries\": [",
         "malformed JSON"},
        {{QStringLiteral("template"), QStringLiteral("write"), file},
         R"({"entries": [{"PosX": "ten"}]})",
         "PosX"},
        {{QStringLiteral("template"), QStringLiteral("write"), file},
         R"({"entries": [{"Posx": 1}]})",
         "unknown key"},
        {{QStringLiteral("template"), QStringLiteral("write"), file},
         R"({"entries": [{},{},{},{},{}]})",
         "four"},
        {{QStringLiteral("adjust"), missing, QStringLiteral("--pip"), QStringLiteral("1"),
          QStringLiteral("--size"), QStringLiteral("1920x1080"), QStringLiteral("--op"),
          QStringLiteral("up")},
         {},
         "no template file"},
        {{QStringLiteral("adjust"), file, QStringLiteral("--pip"), QStringLiteral("1"),
          QStringLiteral("--size"), QStringLiteral("1920x1080"), QStringLiteral("--op"),
          QStringLiteral("spin")},
         {},
         "unknown operation"},
        {{QStringLiteral("frobnicate")}, {}, "unknown command"},
    };
    for (const Case& c : cases) {
        const ToolRun r = Tool(c.args, c.input);
        EXPECT_NE(r.code, 0) << c.mentions;
        EXPECT_TRUE(r.err.contains(c.mentions)) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(file)) << c.mentions;
        EXPECT_FALSE(QFile::exists(missing)) << c.mentions;
    }
}
