#include "link/link_codes.h"

#include "storage/template_file.h"

namespace quorvel {

// SavedTemplateCode is defined once, with the template files (storage/template_file.cpp): a second
// definition here broke every build that links both libraries.

std::optional<SavedTemplateNotice> DecodeSavedTemplateCode(std::int64_t code) {
    constexpr std::int64_t kLastTwoDigitCode = 1009999;
    if (code < kFirstSavedTemplateCode || code > kLastTwoDigitCode) {
        return std::nullopt;
    }
    const auto rest = static_cast<std::int32_t>(code - kFirstSavedTemplateCode);
    return SavedTemplateNotice{rest / 100, rest % 100};
}

} // namespace quorvel
