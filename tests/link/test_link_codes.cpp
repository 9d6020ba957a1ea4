// The saved-template code is read digit by digit by the switcher: a wrong digit names the wrong
// slot or picture on air.

#include "link/link_codes.h"

#include <gtest/gtest.h>

#include <limits>

namespace quorvel {
namespace {

struct CodeCase {
    std::int32_t slot;
    std::int32_t pickerIndex;
    std::optional<std::int32_t> code;
};

TEST(SavedTemplateCode, IsTheDigitsOfSlotAndPickerAfter100) {
    const CodeCase cases[] = {
        {4, 12, 1000412},
        {1, 0, 1000100},
        {3, 5, 1000305},
        {6, 17, 1000617},
        // Wider values keep their digits: the switcher reads text, not 1000000 + 100 x slot.
        {100, 5, 10010005},
        {4, 123, 10004123},
        // The picker without a selection: "10004-01" is no number.
        {4, -1, std::nullopt},
        {-1, 4, std::nullopt},
        // Past 32 bits the text no longer fits a code.
        {99999, 0, 1009999900},
        {999999, 0, std::nullopt},
        {std::numeric_limits<std::int32_t>::max(), 0, std::nullopt},
    };
    for (const CodeCase& c : cases) {
        EXPECT_EQ(SavedTemplateCode(c.slot, c.pickerIndex), c.code)
            << "slot " << c.slot << ", picker " << c.pickerIndex;
    }
}

TEST(SavedTemplateCode, NeverCollidesWithTheMinimiseRequest) {
    for (std::int32_t slot = 0; slot <= 99; ++slot) {
        for (std::int32_t picker = 0; picker <= 99; ++picker) {
            const auto code = SavedTemplateCode(slot, picker);
            ASSERT_TRUE(code);
            ASSERT_GE(*code, kFirstSavedTemplateCode);
            const auto decoded = DecodeSavedTemplateCode(*code);
            ASSERT_TRUE(decoded);
            ASSERT_EQ(decoded->slot, slot);
            ASSERT_EQ(decoded->pickerIndex, picker);
        }
    }
    EXPECT_FALSE(DecodeSavedTemplateCode(kMinimiseRequestCode));
    EXPECT_FALSE(DecodeSavedTemplateCode(10010005));
    EXPECT_FALSE(DecodeSavedTemplateCode(-1000412));
}

} // namespace
} // namespace quorvel
