#pragma once
// One candidate spacing of the time ruler's labels: base unit x multiplier x 10^exponent.

#include <cstdint>

namespace quillon {

struct RulerStep {
    int32_t exponent = 0;
    int32_t multiplier = 1;

    constexpr RulerStep() = default;
    constexpr RulerStep(int32_t e, int32_t m) : exponent(e), multiplier(m) {}

    // base x multiplier, then multiplied by 10 `exponent` times or divided by 10 (each
    // time, truncating) -exponent times, as the ruler has always counted it.
    int64_t samples(int64_t baseUnit) const;

    friend constexpr bool operator==(const RulerStep&, const RulerStep&) = default;
};

} // namespace quillon
