#pragma once
// One breakpoint of an envelope curve, and the conversions between a point's position
// and the minutes / seconds / milliseconds fields of the curve point dialog.

#include <cstdint>

namespace quillon {

struct CurvePoint {
    int32_t position = 0; // sample position at the project rate
    float value = 0.0f;   // 0..1: volume 1.0 is the nominal level, pan 0.5 is centre

    constexpr CurvePoint() = default;
    constexpr CurvePoint(int32_t p, float v) : position(p), value(v) {}
};

// What the "Edit Curve Point" dialog shows for a position. The third field is
// captioned "frames" in the dialog but holds milliseconds.
struct CurvePointFields {
    int32_t minutes = 0;      // whole minutes, not wrapped at 60
    int32_t seconds = 0;      // 0..59
    int32_t milliseconds = 0; // 0..999
};

// `rate` is the project sample rate; a rate of 0 or less gives all fields 0. Formed
// in 64 bits (position * 1000 leaves 32 bits after 48 seconds at 44100 Hz).
CurvePointFields curvePointFieldsFromPosition(int32_t position, int32_t rate);
// Formed in 64 bits (minutes * 60000 * rate overflows 32 bits within the first
// minute at 44100 Hz) and clamped to the sample-position range; a rate of 0 or less
// gives 0. Sub-millisecond parts of the original position are not recovered.
int32_t curvePointPositionFromFields(const CurvePointFields& fields, int32_t rate);
// The largest minutes value a position can have at `rate` (the minutes field's range).
int32_t curvePointMaxMinutes(int32_t rate);

} // namespace quillon
