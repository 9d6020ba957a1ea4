// The JSON input of `quorvel-tool template write`: any bytes give a layout or a message, never a
// crash; a refused input leaves the layout untouched; an accepted one prints, reads back and
// prints the same text again.

#include <cstring>

#include "fuzz_support.h"
#include "storage/layout_json.h"

using namespace quorvel;

namespace {

TPipSetup Marked() {
    TPipSetup setup = InitialPipSetup();
    for (std::size_t i = 0; i < kPipCount; ++i) {
        std::memset(&setup[i], static_cast<int>(0x50 + i), sizeof setup[i]);
    }
    return setup;
}

bool SameBytes(const TPipSetup& a, const TPipSetup& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TPipSetup before = Marked();
    TPipSetup setup = before;
    const QString error = LayoutFromJson(fuzz::Bytes(data, size), setup);
    if (!error.isEmpty()) {
        FUZZ_CHECK(SameBytes(setup, before));
        return 0;
    }

    // Read back into the same starting layout, so that the string bytes after the text match.
    const QByteArray json = LayoutToJson(setup);
    TPipSetup again = before;
    const QString againError = LayoutFromJson(json, again);
    if (!againError.isEmpty()) {
        std::fprintf(stderr, "%s\n%s\n", json.constData(), qPrintable(againError));
    }
    FUZZ_CHECK(againError.isEmpty());
    FUZZ_CHECK(LayoutToJson(again) == json);
    return 0;
}
