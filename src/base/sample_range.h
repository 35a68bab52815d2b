#pragma once

#include <cstdint>

namespace quillon {

// A range of sample frames at the project rate; both ends count as inside.
struct SampleRange {
    int32_t begin = 0;
    int32_t end = 0;

    constexpr SampleRange() = default;
    constexpr SampleRange(int32_t b, int32_t e) : begin(b), end(e) {}

    constexpr int32_t length() const { return end - begin; }
    constexpr bool contains(int32_t p) const { return begin <= p && p <= end; }
    constexpr bool isEmpty() const { return begin == end; }

    // Swaps the ends when the range runs backwards.
    void normalise();
    // Moves the range inside bounds keeping its length; a range longer than the
    // bounds becomes the bounds.
    void clamp(const SampleRange& bounds);

    friend constexpr bool operator==(const SampleRange&, const SampleRange&) = default;
};

} // namespace quillon
