#include "model/project_label.h"

#include "model/curve_point.h"

#include <algorithm>
#include <limits>

namespace quillon {

namespace {

int32_t toSamples(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

} // namespace

// The label dialog shows a position exactly as the curve point dialog does.
LabelPositionFields labelPositionFields(int32_t position, int32_t rate)
{
    const CurvePointFields c = curvePointFieldsFromPosition(position, rate);
    return {c.minutes, c.seconds, c.milliseconds};
}

int32_t labelPositionFromFields(const LabelPositionFields& fields, int32_t rate)
{
    return curvePointPositionFromFields({fields.minutes, fields.seconds, fields.milliseconds}, rate);
}

LabelPauseFields labelPauseFields(int32_t pause, int32_t rate)
{
    LabelPauseFields f;
    if (rate <= 0)
        return f;
    const int64_t p = pause;
    f.seconds = static_cast<int32_t>(p / rate);
    f.milliseconds = static_cast<int32_t>((p * 1000 / rate) % 1000);
    return f;
}

int32_t labelPauseFromFields(const LabelPauseFields& fields, int32_t rate)
{
    if (rate <= 0)
        return 0;
    const int64_t r = rate;
    return toSamples(r * fields.seconds + r * fields.milliseconds / 1000);
}

} // namespace quillon
