#pragma once

#include <cstdint>

namespace velmora::fidelity {

// splitmix64 with its own range helpers: the same meetings from the same seed on every
// compiler and standard library (the <random> distributions are not portable).
class FidelityRandom {
public:
    explicit FidelityRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [low, high], both included.
    int between(int low, int high) { return low + int(next() % std::uint64_t(high - low + 1)); }
    double unit() { return double(next() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }

private:
    std::uint64_t state_;
};

} // namespace velmora::fidelity
