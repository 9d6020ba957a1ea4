#pragma once
// The layout record: four PIP entries whose bytes are also the template file the switcher reads.
// The layout is binding to the byte: 568 bytes per entry, little-endian, no gaps but the padding.

#include <QString>

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvel {

// RecBottom holds this value while no crop has been set; window geometry never saved holds it too.
inline constexpr std::int32_t kUnsetMarker = -99999;

// A length byte followed by up to 255 bytes of ANSI text. The bytes after the text are not
// significant but are carried unchanged so that a loaded record saves back byte for byte.
using ShortString = std::array<std::uint8_t, 256>;

struct TPipEntry {
    std::int32_t InputIndex; // switcher input shown, 1 to InputCount
    std::int32_t PosX;       // placement in the output picture, video pixels
    std::int32_t PosY;
    std::int32_t Width;
    std::int32_t Height;
    std::int32_t RecTop; // crop edges in the input picture; right and bottom are one past the end
    std::int32_t RecLeft;
    std::int32_t RecBottom; // kUnsetMarker: no crop set, the whole input picture
    std::int32_t RecRight;
    std::uint8_t Visible; // any non-zero byte means shown
    std::uint8_t Padding[3];
    std::int32_t ProfileIndex; // layout button last applied; entry 0's value is the layout's
    std::int32_t Border;       // border width in output pixels, 0 for none
    std::uint32_t BorderColor; // 0x00BBGGRR; top bit set: a system colour by its lowest byte
    std::int32_t PIPType;      // layout picker item, stored in entry 0 on save
    ShortString BackFile;      // layout back picture or clip (entry 0 only)
    ShortString FrontFile;     // layout front overlay (entry 0 only)
};

inline constexpr std::size_t kPipEntrySize = 568;
inline constexpr std::size_t kPipCount = 4;
inline constexpr std::size_t kPipSetupSize = kPipEntrySize * kPipCount; // 2272

static_assert(std::endian::native == std::endian::little,
              "the record is stored as it lies in memory, which must be little-endian");
static_assert(sizeof(TPipEntry) == kPipEntrySize);
static_assert(offsetof(TPipEntry, InputIndex) == 0);
static_assert(offsetof(TPipEntry, PosX) == 4);
static_assert(offsetof(TPipEntry, PosY) == 8);
static_assert(offsetof(TPipEntry, Width) == 12);
static_assert(offsetof(TPipEntry, Height) == 16);
static_assert(offsetof(TPipEntry, RecTop) == 20);
static_assert(offsetof(TPipEntry, RecLeft) == 24);
static_assert(offsetof(TPipEntry, RecBottom) == 28);
static_assert(offsetof(TPipEntry, RecRight) == 32);
static_assert(offsetof(TPipEntry, Visible) == 36);
static_assert(offsetof(TPipEntry, Padding) == 37);
static_assert(offsetof(TPipEntry, ProfileIndex) == 40);
static_assert(offsetof(TPipEntry, Border) == 44);
static_assert(offsetof(TPipEntry, BorderColor) == 48);
static_assert(offsetof(TPipEntry, PIPType) == 52);
static_assert(offsetof(TPipEntry, BackFile) == 56);
static_assert(offsetof(TPipEntry, FrontFile) == 312);

// PIP n (1 to 4, as the operator counts) is entry n - 1.
using TPipSetup = std::array<TPipEntry, kPipCount>;
static_assert(sizeof(TPipSetup) == kPipSetupSize);

// The record as the designer starts with it: all zero, every crop unset.
TPipSetup InitialPipSetup();

// A zeroed entry.
TPipEntry ZeroPipEntry();

// The text of a short string (ANSI code page to Unicode).
QString ShortStringText(const ShortString& s);

// Stores text in a short string: at most 255 UTF-16 units are converted, characters the code page
// lacks become its replacement character, the result is cut to 255 bytes. Bytes after the new text
// are left as they were.
void SetShortStringText(ShortString& s, const QString& text);

// Byte images of entries, exactly as they lie in the file.
void EntryToBytes(const TPipEntry& e, std::span<std::uint8_t, kPipEntrySize> out);
TPipEntry EntryFromBytes(std::span<const std::uint8_t, kPipEntrySize> in);

// The whole crop of a video: 0, 0, width, height.
struct VideoSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const VideoSize&, const VideoSize&) = default;
};

} // namespace quorvel
