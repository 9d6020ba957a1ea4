#pragma once
// The codes that travel between the designer and the switcher. Plain C++ with no Qt: the Win32
// pieces and the switcher simulator use these too.

#include <cstdint>
#include <optional>

namespace quorvel {

// Sent to the switcher when the operator asks to minimise the designer while the switcher runs;
// the designer then stays as it is and the switcher decides what happens.
inline constexpr std::int32_t kMinimiseRequestCode = 999998;

// The one request the designer takes from the switcher: restore the designer window.
inline constexpr std::int32_t kRestoreInfo = 1;

// Every saved-template code is at least this, so it can never be mistaken for
// kMinimiseRequestCode.
inline constexpr std::int32_t kFirstSavedTemplateCode = 1000000;

// The code that tells the switcher a slot's template was written: the digits "100", the slot
// written with at least two digits, then the picker item with at least two digits, read as a
// decimal number (slot 4 with item 12 gives 1000412, slot 1 with item 0 gives 1000100). Empty when
// that text is no number: a negative slot or picker item (the picker without a selection is -1),
// or a number beyond 32 bits. The switcher reads the digits, so wider values keep their text form
// (slot 100, item 5 gives 10010005).
std::optional<std::int32_t> SavedTemplateCode(std::int32_t slot, std::int32_t pickerIndex);

struct SavedTemplateNotice {
    std::int32_t slot = 0;
    std::int32_t pickerIndex = 0;
};

// The slot and picker item of a saved-template code with two digits each (1000000 to 1009999);
// empty for any other code.
std::optional<SavedTemplateNotice> DecodeSavedTemplateCode(std::int64_t code);

} // namespace quorvel
