#include "util/muldiv.h"

#include <cstdlib>
#include <limits>

namespace quorvel {

namespace {

// Rounds |number * numerator| / |denominator| half away from zero and gives it the sign of the
// exact quotient. Works on magnitudes so that negative values round like positive ones.
std::uint64_t RoundedMagnitude(std::uint64_t productMagnitude, std::uint64_t divisorMagnitude) {
    return (productMagnitude + divisorMagnitude / 2) / divisorMagnitude;
}

std::uint64_t Magnitude(std::int64_t value) {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

} // namespace

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    const bool negative = ((number < 0) != (numerator < 0)) != (denominator < 0);
    // |int32| * |int32| <= 2^62, so the product and the half divisor fit in 64 bits unsigned.
    const std::uint64_t quotient =
        RoundedMagnitude(Magnitude(number) * Magnitude(numerator), Magnitude(denominator));
    if (quotient > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
        return -1;
    }
    const int result = static_cast<int>(quotient);
    return negative ? -result : result;
}

std::int64_t MulDiv64(std::int64_t number, std::int64_t numerator, std::int64_t denominator) {
    const bool negative = ((number < 0) != (numerator < 0)) != (denominator < 0);
    const std::uint64_t quotient =
        RoundedMagnitude(Magnitude(number) * Magnitude(numerator), Magnitude(denominator));
    const auto result = static_cast<std::int64_t>(quotient);
    return negative ? -result : result;
}

} // namespace quorvel
