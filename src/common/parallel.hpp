// Splitting an element-wise loop over threads.
//
// Every element of these loops is computed from its own inputs alone, so the
// result never depends on how the range is cut or on how many threads run:
// the split only decides who computes what.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>

namespace kelvane::parallel {

// The most threads one loop starts, whatever it is asked for.
inline constexpr std::size_t max_threads = 256;

// Runs chunk(k, begin, end) over `threads` consecutive pieces of [0, size)
// (fewer when there are fewer elements), the first on the calling thread
// and the others on threads of their own, and returns once all are done. A
// thread that cannot be started leaves its piece to the calling thread. The
// first exception a piece throws is rethrown here after every piece ended.
void for_chunks(std::size_t size, std::size_t threads,
                const std::function<void(std::size_t chunk, std::size_t begin, std::size_t end)>& chunk);

// The number of pieces for_chunks cuts `size` elements into.
std::size_t chunk_count(std::size_t size, std::size_t threads) noexcept;

}  // namespace kelvane::parallel
