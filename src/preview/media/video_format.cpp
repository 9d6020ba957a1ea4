#include "preview/media/video_format.h"

namespace quorvel::media {

AVProps AVPropsForCode(int videoFormatCode) {
    AVProps props;
    if (videoFormatCode >= kFixedFormatCode) {
        props.formatCode = 0;
        props.width = 1280;
        props.height = 720;
        props.aspectX = 16;
        props.aspectY = 9;
        props.framesPerSecond = 30.0;
    } else {
        props.formatCode = videoFormatCode;
    }
    return props;
}

ResolvedFormat ResolveFormat(const AVProps& props) {
    if (props.width > 0 && props.height > 0) {
        return {props.width, props.height, props.framesPerSecond};
    }
    if (props.formatCode >= 1 && props.formatCode <= int(kVideoFormats.size())) {
        const VideoFormat& f = kVideoFormats[std::size_t(props.formatCode - 1)];
        return {f.width, f.height, f.framesPerSecond};
    }
    if (props.formatCode >= kFixedFormatCode) {
        return {1280, 720, 30.0};
    }
    return {};
}

} // namespace quorvel::media
