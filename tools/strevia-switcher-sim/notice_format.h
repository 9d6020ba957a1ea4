#pragma once
// The one-line form in which the simulator prints a notice from the designer. Plain C++: the
// Windows simulator has no Qt.

#include <cstdint>
#include <string>

namespace quorvel::sim {

// "saved slot=3 picker=5 code=1000305 from=<sender>" for a saved-template code,
// "minimise-request from=<sender>" for the minimise request, "notice code=<code> from=<sender>"
// for any other code.
std::string DescribeNotice(std::int64_t code, std::uint64_t sender);

} // namespace quorvel::sim
