#pragma once
// Memory for decoded pages, counted in bytes. One budget can be shared by the
// engines of several threads (the batch's workers), so together they never hold
// more decoded pages than one budget allows: a load waits until the others have
// given back enough. A page larger than the whole budget is refused from its
// header, so a lone page always fits and a wait always ends.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace leafmark::imaging {

// Largest decoded page the engine accepts, in bytes of image memory (1, 8 or
// 32 bits per pixel as held): 300 MiB, enough for an A3 colour page at 600 dpi
// (7016 x 9921 pixels, 278 MB), checked from the header before any pixel memory
// is allocated.
constexpr std::uint64_t kMaxPageBytes = 300ull * 1024 * 1024;

// Longest side of a page the engine accepts, in pixels.
constexpr std::uint32_t kMaxPageSide = 1000000;

class ByteBudget {
  public:
    explicit ByteBudget(std::uint64_t limit = kMaxPageBytes) : limit_(limit) {}
    ByteBudget(const ByteBudget&) = delete;
    ByteBudget& operator=(const ByteBudget&) = delete;

    // Takes `bytes`, waiting while other holders leave too little. False at once
    // when `bytes` exceeds the whole budget.
    bool acquire(std::uint64_t bytes);
    void release(std::uint64_t bytes);

    std::uint64_t limit() const { return limit_; }
    std::uint64_t inUse() const;
    // Most bytes held at once since the budget was made.
    std::uint64_t peak() const;

  private:
    const std::uint64_t limit_;
    mutable std::mutex mutex_;
    std::condition_variable freed_;
    std::uint64_t used_ = 0;
    std::uint64_t peak_ = 0;
};

// Bytes of a decoded page of `width` x `height` at `bitsPerPixel` as held in
// memory (rows padded to 32 bits); saturates instead of overflowing.
std::uint64_t decodedPageBytes(std::uint32_t width, std::uint32_t height, unsigned bitsPerPixel);

}  // namespace leafmark::imaging
