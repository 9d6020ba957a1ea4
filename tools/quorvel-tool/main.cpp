// quorvel-tool: inspect and script templates, presets, adjustments and the hand-off file without
// opening the designer window.

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <exception>

#include "commands.h"

namespace {

constexpr char kUsage[] =
    "usage: quorvel-tool <command> [arguments]\n"
    "\n"
    "  preset NAME --size WxH [--inputs a,b,c,d]   the layout a layout button gives\n"
    "  template show FILE                          print the layout a template holds\n"
    "  template write FILE                         write a template from JSON on stdin\n"
    "  template name --size WxH --slot N --set N   print a template's file name\n"
    "  adjust FILE --pip N --size WxH --op OP [--mode externo|interno] [--step F] [--repeat K]\n"
    "                                              apply a fine adjustment to a template\n"
    "  handoff [FILE]                              print what the designer reads from Quorvel.dat\n"
    "  image resample|fit-widescreen|convert-jpeg ...   picture tools (image --help)\n"
    "  render TEMPLATE --out FILE.png [--size WxH] [--background FILE]\n"
    "                                              compose one preview frame of a template\n";

struct Command {
    const char* name;
    int (*run)(const QStringList&);
};

constexpr Command kCommands[] = {
    {"preset", quorvel::tool::RunPreset}, {"template", quorvel::tool::RunTemplate},
    {"adjust", quorvel::tool::RunAdjust}, {"handoff", quorvel::tool::RunHandoff},
    {"image", quorvel::tool::RunImage},   {"render", quorvel::tool::RunRender},
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty() || args.first() == QLatin1String("--help") ||
        args.first() == QLatin1String("-h") || args.first() == QLatin1String("help")) {
        std::fputs(kUsage, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? quorvel::tool::kExitBadInput : quorvel::tool::kExitOk;
    }
    const QString name = args.takeFirst();
    for (const Command& command : kCommands) {
        if (name == QLatin1String(command.name)) {
            try {
                return command.run(args);
            } catch (const std::exception& e) {
                return quorvel::tool::Fail(QString::fromLocal8Bit(e.what()));
            }
        }
    }
    return quorvel::tool::Fail(QStringLiteral("unknown command \"%1\" (see --help)").arg(name));
}
