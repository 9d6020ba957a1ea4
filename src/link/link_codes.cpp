#include "link/link_codes.h"

#include <charconv>
#include <string>

namespace quorvel {

namespace {

// A whole number with at least two digits, padded with a leading zero.
std::string TwoDigits(std::int32_t value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

} // namespace

std::optional<std::int32_t> SavedTemplateCode(std::int32_t slot, std::int32_t pickerIndex) {
    // A minus sign would land in the middle of the digits: the text is no number.
    if (slot < 0 || pickerIndex < 0) {
        return std::nullopt;
    }
    const std::string text = "100" + TwoDigits(slot) + TwoDigits(pickerIndex);
    std::int32_t code = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return code;
}

std::optional<SavedTemplateNotice> DecodeSavedTemplateCode(std::int64_t code) {
    constexpr std::int64_t kLastTwoDigitCode = 1009999;
    if (code < kFirstSavedTemplateCode || code > kLastTwoDigitCode) {
        return std::nullopt;
    }
    const auto rest = static_cast<std::int32_t>(code - kFirstSavedTemplateCode);
    return SavedTemplateNotice{rest / 100, rest % 100};
}

} // namespace quorvel
