#pragma once
// A small seeded generator whose sequence is fixed by its own code (not by the
// standard library's distributions), so the same seed makes the same page on
// every machine and compiler.

#include <cstdint>

namespace leafmark::pagemaker {

class SeededRandom {
  public:
    explicit SeededRandom(std::uint64_t seed) : state_(seed) {}

    // Mixes two numbers into one seed (a page's seed from the run seed and its index).
    static std::uint64_t mix(std::uint64_t a, std::uint64_t b) {
        SeededRandom r(a ^ (b * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull));
        r.next();
        return r.next();
    }

    // Next 64 random bits (splitmix64).
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Whole number in [lo, hi] (both included); lo when hi < lo.
    int between(int lo, int hi) {
        if (hi <= lo) return lo;
        const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo + 1);
        return lo + static_cast<int>(next() % span);
    }

    // Real number in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

    // True with probability p.
    bool chance(double p) { return unit() < p; }

  private:
    std::uint64_t state_;
};

}  // namespace leafmark::pagemaker
