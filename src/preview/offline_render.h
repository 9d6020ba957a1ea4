#pragma once
// One preview frame of a layout composed offline, with the same composition as the live preview:
// the switcher inputs come from the settings file's [Inputs] map or are test sources frozen at
// their first frame, so the same layout always gives the same picture.

#include <QString>
#include <QStringList>

#include <chrono>

#include "core/pip_entry.h"
#include "preview/media/media_frame.h"

namespace quorvel {

struct OfflineRenderRequest {
    TPipSetup layout{};
    VideoSize size{1920, 1080};
    QString background;       // a picture or clip; empty for the programme input
    int indexProgram = 1;     // the programme input
    int inputCount = 4;       // inputs offered to the PIPs (clamped to 0..8)
    QString handoffPath;      // per-input device flags and formats (missing: defaults)
    QString settingsPath;     // the [Inputs] map
    QString executableFolder; // back_transp.png, as beside the designer
    // How long to wait for sources that read on threads of their own (streams, clips, pictures).
    std::chrono::milliseconds wait{5000};
};

struct OfflineRenderResult {
    media::FramePtr frame; // null when no background frame came
    QStringList warnings;  // what was left out, one line each
};

OfflineRenderResult RenderLayoutFrame(const OfflineRenderRequest& request);

} // namespace quorvel
