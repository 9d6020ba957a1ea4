#pragma once
// Video format codes, as the hand-off file gives them for the preview and for each input.
//
//   0 (and any negative code)  each source's own size and rate
//   1 to 19                    the broadcast formats of kVideoFormats below
//   20 and above               1280 x 720, 16:9, 30 frames per second

#include <QString>

#include <array>

#include "preview/media/media_frame.h"

namespace quorvel::media {

struct VideoFormat {
    int code;
    const char* name;
    int width;
    int height;
    double framesPerSecond; // frames, not fields: 1080i50 is 25
    bool interlaced;
};

// Codes 1 to 19, entry i is code i + 1. All are 16:9 but the two SD formats (4:3).
inline constexpr std::array<VideoFormat, 19> kVideoFormats{{
    {1, "480i 29.97 (NTSC)", 720, 480, 30000.0 / 1001.0, true},
    {2, "576i 25 (PAL)", 720, 576, 25.0, true},
    {3, "720p 25", 1280, 720, 25.0, false},
    {4, "720p 29.97", 1280, 720, 30000.0 / 1001.0, false},
    {5, "720p 50", 1280, 720, 50.0, false},
    {6, "720p 59.94", 1280, 720, 60000.0 / 1001.0, false},
    {7, "1080i 25 (1080i50)", 1920, 1080, 25.0, true},
    {8, "1080i 29.97 (1080i59.94)", 1920, 1080, 30000.0 / 1001.0, true},
    {9, "1080p 24", 1920, 1080, 24.0, false},
    {10, "1080p 25", 1920, 1080, 25.0, false},
    {11, "1080p 29.97", 1920, 1080, 30000.0 / 1001.0, false},
    {12, "1080p 30", 1920, 1080, 30.0, false},
    {13, "1080p 50", 1920, 1080, 50.0, false},
    {14, "1080p 59.94", 1920, 1080, 60000.0 / 1001.0, false},
    {15, "1080p 60", 1920, 1080, 60.0, false},
    {16, "2160p 25", 3840, 2160, 25.0, false},
    {17, "2160p 29.97", 3840, 2160, 30000.0 / 1001.0, false},
    {18, "2160p 50", 3840, 2160, 50.0, false},
    {19, "2160p 59.94", 3840, 2160, 60000.0 / 1001.0, false},
}};

// The code from which on every code means 1280 x 720 at 30 frames per second.
inline constexpr int kFixedFormatCode = 20;

// The AV record InitVideo keeps for a code: for 20 and above format code 0 with 1280 x 720, 16:9,
// 30.0 frames per second; otherwise the code alone, every other field 0.
AVProps AVPropsForCode(int videoFormatCode);

// What a request with these properties delivers: width, height and rate (0 x 0 and 0.0 for a
// source's own size and rate). A record that already carries a size keeps it.
struct ResolvedFormat {
    int width = 0;
    int height = 0;
    double framesPerSecond = 0.0;
};
ResolvedFormat ResolveFormat(const AVProps& props);

} // namespace quorvel::media
