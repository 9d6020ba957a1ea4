#include "util/image/parallel_rows.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace quorvel::image_detail {

namespace {
constexpr int kMaxWorkers = 8;
}

void ParallelRows(int count, int minPerPart, const std::function<void(int, int)>& work) {
    if (count <= 0) {
        return;
    }
    const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const int parts = std::clamp(count / std::max(1, minPerPart), 1, std::min(cores, kMaxWorkers));
    if (parts == 1) {
        work(0, count);
        return;
    }
    std::vector<std::thread> workers;
    workers.reserve(static_cast<std::size_t>(parts - 1));
    // Part p covers [count * p / parts, count * (p + 1) / parts).
    const auto bound = [&](int p) {
        return static_cast<int>(static_cast<long long>(count) * p / parts);
    };
    for (int p = 1; p < parts; ++p) {
        try {
            workers.emplace_back(work, bound(p), bound(p + 1));
        } catch (const std::system_error&) {
            work(bound(p), bound(p + 1));
        }
    }
    std::exception_ptr failure;
    try {
        work(bound(0), bound(1));
    } catch (...) {
        failure = std::current_exception();
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

} // namespace quorvel::image_detail
