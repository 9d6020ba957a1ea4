#include "util/image/parallel_rows.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace quorvel::image_detail {

namespace {
constexpr int kMaxWorkers = 8;
constexpr int kChunksPerWorker = 8; // small chunks let a busy core's share go to an idle one
} // namespace

void ParallelRows(int count, int minPerPart, const std::function<void(int, int)>& work) {
    if (count <= 0) {
        return;
    }
    minPerPart = std::max(1, minPerPart);
    const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const int workers = std::clamp(count / minPerPart, 1, std::min(cores, kMaxWorkers));
    if (workers == 1) {
        work(0, count);
        return;
    }
    // Rows are handed out in chunks, first come first served: on a loaded machine a worker that
    // starts late simply takes fewer of them. Every row is computed exactly once.
    const int chunkRows = std::max(minPerPart, count / (workers * kChunksPerWorker));
    std::atomic<int> nextRow{0};
    const auto takeChunks = [&] {
        for (;;) {
            const int begin = nextRow.fetch_add(chunkRows, std::memory_order_relaxed);
            if (begin >= count) {
                return;
            }
            work(begin, std::min(count, begin + chunkRows));
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(workers - 1));
    for (int i = 1; i < workers; ++i) {
        try {
            threads.emplace_back(takeChunks);
        } catch (const std::system_error&) {
            break; // the calling thread takes the rows that worker would have had
        }
    }
    std::exception_ptr failure;
    try {
        takeChunks();
    } catch (...) {
        failure = std::current_exception();
        nextRow.store(count, std::memory_order_relaxed); // let the workers stop early
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

} // namespace quorvel::image_detail
