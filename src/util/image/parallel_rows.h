#pragma once
// Splits independent rows of work over the machine's cores. Each part is a contiguous range and
// writes only its own rows, so the result does not depend on how many workers run.

#include <functional>

namespace quorvel::image_detail {

// Calls work(begin, end) on contiguous parts of [0, count) and returns when all are done. The
// calling thread takes one part; no part is smaller than minPerPart items (except a lone one).
// When a worker thread cannot be started its part runs on the calling thread.
void ParallelRows(int count, int minPerPart, const std::function<void(int, int)>& work);

} // namespace quorvel::image_detail
