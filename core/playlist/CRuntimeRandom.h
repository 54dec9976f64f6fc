// The pseudo-random sequence of the Windows C runtime's srand()/rand(), reproduced so
// that the play order draws the same numbers (0-32767) on every platform and build.
#pragma once

#include <cstdint>

namespace hgf {

class CRuntimeRandom {
  public:
    static constexpr int kMax = 32767;

    explicit CRuntimeRandom(std::uint32_t seed) : state_(seed) {}

    // The next number, 0..32767.
    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }

  private:
    std::uint32_t state_;  // the runtime's 32-bit generator state (wraps modulo 2^32)
};

}  // namespace hgf
