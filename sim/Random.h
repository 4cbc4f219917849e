#pragma once

#include <cstdint>

namespace sim {

// A small generator of our own (splitmix64): the same seed gives the same run on
// every machine and library, which std distributions do not promise.
class TRandom {
public:
    explicit TRandom(std::uint64_t seed = 1) : FState(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (FState += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    // Uniform in [0, n); n > 0.
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    // Uniform in [lo, hi].
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    bool Chance(double share) { return share > 0 && Uniform() < share; }

private:
    std::uint64_t FState;
};

} // namespace sim
