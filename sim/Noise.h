#pragma once
// Seedable Gaussian noise that gives the same numbers on every machine and compiler (the
// standard library's distributions do not promise that): a 64-bit Mersenne Twister, whose
// output is fixed by the standard, and the Box-Muller transform.

#include <cmath>
#include <cstdint>
#include <random>

namespace dilato::sim {

class Noise {
  public:
    explicit Noise(uint64_t seed) : engine_(seed) {}

    // A normal deviate with mean 0 and the given standard deviation (0 gives 0).
    double gaussian(double sigma) {
        if (sigma <= 0) return 0.0;
        if (hasSpare_) {
            hasSpare_ = false;
            return spare_ * sigma;
        }
        double u1 = uniform();
        while (u1 <= 0.0)
            u1 = uniform();
        const double u2 = uniform();
        const double r = std::sqrt(-2.0 * std::log(u1));
        constexpr double kTwoPi = 6.283185307179586;
        spare_ = r * std::sin(kTwoPi * u2);
        hasSpare_ = true;
        return r * std::cos(kTwoPi * u2) * sigma;
    }

    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
    uint64_t next() { return engine_(); }

  private:
    std::mt19937_64 engine_;
    double spare_ = 0.0;
    bool hasSpare_ = false;
};

} // namespace dilato::sim
