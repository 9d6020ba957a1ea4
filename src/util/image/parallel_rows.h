#pragma once
// Splits independent rows of work over the machine's cores. Every row is computed exactly once
// and writes only its own output, so the result does not depend on how many workers run or in
// which order they take their rows.

#include <functional>

namespace quorvel::image_detail {

// Calls work(begin, end) on contiguous chunks of [0, count), at least minPerPart rows each (the
// last may be shorter), on the calling thread and up to one worker per further core, and returns
// when all rows are done. When a worker thread cannot be started, the others take its rows.
void ParallelRows(int count, int minPerPart, const std::function<void(int, int)>& work);

} // namespace quorvel::image_detail
