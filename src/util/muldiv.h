#pragma once
// MulDiv as Windows computes it: the product of two 32-bit integers in 64 bits, divided by a third,
// the quotient rounded to the nearest integer with halves away from zero. A zero divisor or a
// quotient outside -2147483647 .. 2147483647 gives -1, as on Windows.

#include <cstdint>

namespace quorvel {

int MulDiv(int number, int numerator, int denominator);

// The same rounding on 64-bit values without the 32-bit range limit, for callers whose result can
// exceed it (it never returns the overflow marker). The divisor must not be zero and the product
// must fit in 64 bits.
std::int64_t MulDiv64(std::int64_t number, std::int64_t numerator, std::int64_t denominator);

} // namespace quorvel
