// The hand-off file readers, as the designer runs them at start-up and when the preview starts:
// any bytes in "Quorvel.dat" give values without a crash, every line is free of line breaks, and
// the values out of range are brought into the ranges the designer's arrays hold.

#include "fuzz_support.h"
#include "storage/handoff.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFile file(QStringLiteral("Quorvel.dat"));
    file.Write(data, size);
    const QString& path = file.Path();

    const std::optional<QStringList> lines = ReadHandoffLines(path);
    FUZZ_CHECK(lines.has_value());
    for (const QString& line : *lines) {
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'));
        // A number that converts is the same whatever the fallback.
        const std::int32_t a = HandoffInteger(line, 1);
        const std::int32_t b = HandoffInteger(line, 2);
        FUZZ_CHECK(a == b || (a == 1 && b == 2));
    }

    // Every reader loads the file afresh and takes its own line; two of them stand for all (the
    // loading is the same), one asks past the last input.
    const auto line = [&](qsizetype i, std::int32_t fallback) {
        return i < lines->size() ? HandoffInteger(lines->at(i), fallback) : fallback;
    };
    const int inputs = ClampInputCount(ReadQuantPreview(path));
    FUZZ_CHECK(inputs == ClampInputCount(line(2, 4)));
    FUZZ_CHECK(inputs >= 0 && inputs <= kMaxInputs);
    FUZZ_CHECK(ClampSlot(line(1, 1)) >= 0 && ClampSlot(line(1, 1)) <= kSlotCount);
    FUZZ_CHECK(ReadInputFormat(path, kMaxInputs + 1) == line(11 + kMaxInputs + 1, 0));
    const DefIndexAndCaption def = ReadDefIndexAndCaption(path);
    FUZZ_CHECK(def.caption.has_value());
    FUZZ_CHECK(def.caption->startsWith(QStringLiteral("Quorvel")));
    if (lines->isEmpty()) {
        FUZZ_CHECK(def.defIndex == 1);
    }
    return 0;
}
