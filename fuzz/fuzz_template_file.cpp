// The template reader, as the designer loads a slot: any bytes in the slot's file load without a
// crash, the whole records land byte for byte, entries the file does not hold keep what the layout
// held, and the loaded layout survives what the tool does with it (JSON out and back in).

#include <algorithm>
#include <cstring>

#include "fuzz_support.h"
#include "storage/layout_json.h"
#include "storage/template_file.h"

using namespace quorvel;

namespace {

// A layout unlike anything a file would hold, so that an entry the reader should not touch shows.
TPipSetup Marked() {
    TPipSetup setup = InitialPipSetup();
    for (std::size_t i = 0; i < kPipCount; ++i) {
        std::memset(&setup[i], static_cast<int>(0xA0 + i), sizeof setup[i]);
    }
    return setup;
}

bool SameSignificantValues(const TPipEntry& a, const TPipEntry& b) {
    return a.InputIndex == b.InputIndex && a.PosX == b.PosX && a.PosY == b.PosY &&
           a.Width == b.Width && a.Height == b.Height && a.RecTop == b.RecTop &&
           a.RecLeft == b.RecLeft && a.RecBottom == b.RecBottom && a.RecRight == b.RecRight &&
           (a.Visible != 0) == (b.Visible != 0) && a.ProfileIndex == b.ProfileIndex &&
           a.Border == b.Border && a.BorderColor == b.BorderColor && a.PIPType == b.PIPType &&
           ShortStringText(a.BackFile) == ShortStringText(b.BackFile) &&
           ShortStringText(a.FrontFile) == ShortStringText(b.FrontFile);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFile file(QStringLiteral("PIPTemplate_1920x1080 _1.DAT"));
    file.Write(data, size);

    const TPipSetup before = Marked();
    TPipSetup setup = before;
    // An existing regular file is always read, whatever it holds.
    FUZZ_CHECK(LoadTemplatePath(file.Path(), setup));
    const std::size_t whole = std::min(size / kPipEntrySize, kPipCount);
    for (std::size_t i = 0; i < kPipCount; ++i) {
        if (i < whole) {
            FUZZ_CHECK(std::memcmp(&setup[i], data + i * kPipEntrySize, kPipEntrySize) == 0);
        } else {
            FUZZ_CHECK(std::memcmp(&setup[i], &before[i], kPipEntrySize) == 0);
        }
    }

    // `quorvel-tool template show` prints the layout; `template write` reads that back.
    const QByteArray json = LayoutToJson(setup);
    TPipSetup again = InitialPipSetup();
    const QString error = LayoutFromJson(json, again);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n%s\n", json.constData(), qPrintable(error));
    }
    FUZZ_CHECK(error.isEmpty());
    for (std::size_t i = 0; i < kPipCount; ++i) {
        FUZZ_CHECK(SameSignificantValues(setup[i], again[i]));
    }
    return 0;
}
