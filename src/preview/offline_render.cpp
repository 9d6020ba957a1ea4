#include "preview/offline_render.h"

#include <thread>

#include "preview/borders.h"
#include "preview/composer.h"
#include "preview/input_sources.h"
#include "storage/handoff.h"
#include "util/helpers.h"

namespace quorvel {

namespace {

constexpr std::chrono::milliseconds kPoll{20};

// Ready when every visible PIP with a valid input has a frame, and each named overlay has one.
bool LayersComplete(const ComposeLayers& layers, const TPipSetup& layout, int inputCount) {
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const TPipEntry& e = layout[i];
        if (e.Visible != 0 && e.InputIndex >= 1 && e.InputIndex <= inputCount &&
            !layers.pips[i].frame && e.Width > 0 && e.Height > 0) {
            return false;
        }
    }
    if (!ShortStringText(layout[0].BackFile).isEmpty() && !layers.back) {
        return false;
    }
    if (!ShortStringText(layout[0].FrontFile).isEmpty() && !layers.front) {
        return false;
    }
    return true;
}

} // namespace

OfflineRenderResult RenderLayoutFrame(const OfflineRenderRequest& request) {
    OfflineRenderResult result;
    const std::map<int, QString> inputMap = ReadInputMap(request.settingsPath);
    const int inputCount = ClampInputCount(request.inputCount);

    auto inputs = std::make_shared<InputSet>();
    for (int i = 1; i <= inputCount; ++i) {
        inputs->readers[std::size_t(i)] =
            OpenSource(InputUrl(i), QString(), inputMap, TestSourceMotion::Frozen);
        inputs->isDevice[std::size_t(i)] = ReadInputIsDevice(request.handoffPath, i);
        inputs->formats[std::size_t(i)].formatCode = ReadInputFormat(request.handoffPath, i);
    }
    const QString backgroundUrl =
        request.background.isEmpty() ? InputUrl(request.indexProgram) : request.background;
    const media::ReaderPtr background =
        OpenSource(backgroundUrl, QString(), inputMap, TestSourceMotion::Frozen);

    media::AVProps format;
    format.width = request.size.width;
    format.height = request.size.height;
    const auto deadline = std::chrono::steady_clock::now() + request.wait;
    media::FramePtr frame;
    while (!(frame = background->FrameInFormat(format)) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kPoll);
    }
    if (frame) {
        media::FramePtr transparent;
        if (!request.executableFolder.isEmpty()) {
            LoadPictureFile(WithTrailingDelimiter(request.executableFolder) +
                                QStringLiteral("back_transp.png"),
                            transparent);
        }
        const media::FramePtr borders =
            MakeBorderOverlay(transparent, request.layout, request.size);
        PreviewComposer composer(inputs, inputMap, PreviewComposer::PictureLoading::Blocking,
                                 TestSourceMotion::Frozen);
        ComposeLayers layers = composer.BuildLayers(frame, request.layout, borders);
        while (!LayersComplete(layers, request.layout, inputCount) &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(kPoll);
            layers = composer.BuildLayers(frame, request.layout, borders);
        }
        for (std::size_t i = 0; i < request.layout.size(); ++i) {
            const TPipEntry& e = request.layout[i];
            if (e.Visible != 0 && !layers.pips[i].frame) {
                result.warnings << QStringLiteral(
                                       "PIP %1 (input %2) gave no picture and is left out")
                                       .arg(i + 1)
                                       .arg(e.InputIndex);
            }
        }
        if (!ShortStringText(request.layout[0].BackFile).isEmpty() && !layers.back) {
            result.warnings << QStringLiteral("the back file \"%1\" gave no picture")
                                   .arg(ShortStringText(request.layout[0].BackFile));
        }
        if (!ShortStringText(request.layout[0].FrontFile).isEmpty() && !layers.front) {
            result.warnings << QStringLiteral("the front file \"%1\" gave no picture")
                                   .arg(ShortStringText(request.layout[0].FrontFile));
        }
        media::MutableFramePtr out =
            media::MediaFrame::CreateUninitialised(frame->width(), frame->height());
        ComposeFast(layers, *out);
        result.frame = std::move(out);
        composer.CloseOverlayReaders();
    } else {
        result.warnings
            << QStringLiteral("the background \"%1\" gave no picture").arg(backgroundUrl);
    }
    background->CloseAsync();
    for (const media::ReaderPtr& reader : inputs->readers) {
        if (reader) {
            reader->CloseAsync();
        }
    }
    return result;
}

} // namespace quorvel
