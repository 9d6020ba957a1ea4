#include "notice_format.h"

#include "link/link_codes.h"

namespace quorvel::sim {

std::string DescribeNotice(std::int64_t code, std::uint64_t sender) {
    const std::string from = " from=" + std::to_string(sender);
    if (code == kMinimiseRequestCode) {
        return "minimise-request" + from;
    }
    if (const auto saved = DecodeSavedTemplateCode(code)) {
        return "saved slot=" + std::to_string(saved->slot) +
               " picker=" + std::to_string(saved->pickerIndex) + " code=" + std::to_string(code) +
               from;
    }
    return "notice code=" + std::to_string(code) + from;
}

} // namespace quorvel::sim
