// The designer's entry: the dark look, the window, the message loop, and the halt watchdog that
// ends the process within a second of the window's destruction, whatever the preview does.

#include <QApplication>

#include <memory>

#include "designer/dark_look.h"
#include "designer/engine_preview.h"
#include "designer/frm_quorvel.h"
#include "designer/halt_watchdog.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Korvane Quorvel"));
    quorvel::ApplyDarkLook(app);

    quorvel::DesignerDeps deps;
    deps.preview = std::make_unique<quorvel::EnginePreview>();
    deps.link = [](quint64 windowId) { return quorvel::SwitcherLink::Create(windowId); };
    deps.taskHalt = [] { quorvel::ArmProcessHalt(); };
    auto window = std::make_unique<quorvel::TfrmQuorvel>(std::move(deps));
    window->show();
    QApplication::exec();
    window.reset();
    return 0;
}
