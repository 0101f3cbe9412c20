#include "imaging/engine/ByteBudget.h"

#include <algorithm>
#include <limits>

namespace leafmark::imaging {

bool ByteBudget::acquire(std::uint64_t bytes) {
    if (bytes > limit_) return false;
    std::unique_lock lock(mutex_);
    freed_.wait(lock, [&] { return limit_ - used_ >= bytes; });
    used_ += bytes;
    peak_ = std::max(peak_, used_);
    return true;
}

void ByteBudget::release(std::uint64_t bytes) {
    {
        std::lock_guard lock(mutex_);
        used_ -= std::min(bytes, used_);
    }
    freed_.notify_all();
}

std::uint64_t ByteBudget::inUse() const {
    std::lock_guard lock(mutex_);
    return used_;
}

std::uint64_t ByteBudget::peak() const {
    std::lock_guard lock(mutex_);
    return peak_;
}

std::uint64_t decodedPageBytes(std::uint32_t width, std::uint32_t height, unsigned bitsPerPixel) {
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
    if (height != 0 && rowBytes > std::numeric_limits<std::uint64_t>::max() / height)
        return std::numeric_limits<std::uint64_t>::max();
    return rowBytes * height;
}

}  // namespace leafmark::imaging
