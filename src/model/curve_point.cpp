#include "model/curve_point.h"

#include <algorithm>
#include <limits>

namespace quillon {

CurvePointFields curvePointFieldsFromPosition(int32_t position, int32_t rate)
{
    CurvePointFields f;
    if (rate <= 0)
        return f;
    const int64_t p = position;
    const int64_t r = rate;
    f.milliseconds = static_cast<int32_t>((p * 1000 / r) % 1000);
    f.seconds = static_cast<int32_t>((p / r) % 60);
    // All the minutes: shown modulo 60 they would put a point an hour or more away
    // back near the start when the dialog is confirmed.
    f.minutes = static_cast<int32_t>(p / (r * 60));
    return f;
}

int32_t curvePointPositionFromFields(const CurvePointFields& fields, int32_t rate)
{
    if (rate <= 0)
        return 0;
    const int64_t ms = int64_t{fields.minutes} * 60000 + int64_t{fields.seconds} * 1000 + fields.milliseconds;
    const int64_t p = ms * rate / 1000;
    return static_cast<int32_t>(std::clamp<int64_t>(p, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int32_t curvePointMaxMinutes(int32_t rate)
{
    if (rate <= 0)
        return 0;
    return static_cast<int32_t>(int64_t{std::numeric_limits<int32_t>::max()} / (int64_t{rate} * 60));
}

} // namespace quillon
