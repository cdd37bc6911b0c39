#include "common/parallel.hpp"

#include <algorithm>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace kelvane::parallel {

std::size_t chunk_count(std::size_t size, std::size_t threads) noexcept {
    return std::max<std::size_t>(1, std::min({threads, size, max_threads}));
}

void for_chunks(std::size_t size, std::size_t threads,
                const std::function<void(std::size_t, std::size_t, std::size_t)>& chunk) {
    const std::size_t pieces = chunk_count(size, threads);
    auto bounds = [&](std::size_t k) { return size / pieces * k + std::min(k, size % pieces); };
    std::exception_ptr first_failure;
    std::mutex failure_mutex;
    auto run = [&](std::size_t k) noexcept {
        try {
            chunk(k, bounds(k), bounds(k + 1));
        } catch (...) {
            const std::lock_guard lock(failure_mutex);
            if (!first_failure) first_failure = std::current_exception();
        }
    };
    std::vector<std::thread> workers;
    try {
        workers.reserve(pieces - 1);
    } catch (...) {
        // No room even for the bookkeeping: every piece runs here.
    }
    for (std::size_t k = 1; k < pieces; ++k) {
        if (workers.size() < workers.capacity()) {
            try {
                workers.emplace_back(run, k);
                continue;
            } catch (const std::system_error&) {
                // The system refused a thread: the piece runs here instead.
            }
        }
        run(k);
    }
    run(0);
    for (std::thread& worker : workers) worker.join();
    if (first_failure) std::rethrow_exception(first_failure);
}

}  // namespace kelvane::parallel
