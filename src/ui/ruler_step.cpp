#include "ui/ruler_step.h"

namespace quillon {

int64_t RulerStep::samples(int64_t baseUnit) const
{
    int64_t step = baseUnit * multiplier;
    for (int32_t i = 0; i < exponent; ++i)
        step *= 10;
    for (int32_t i = 0; i < -exponent; ++i)
        step /= 10;
    return step;
}

} // namespace quillon
