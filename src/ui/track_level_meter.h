#pragma once
// One channel's level meter of a track header: fed with linear peaks while the mix
// plays, it shows them 14 feeds late (the device plays that far behind the render)
// on a -60..0 dB scale, falling by at most 0.02 per feed, and redraws only the columns
// that can have changed since the last draw.
// User-interface thread only.

#include <QRect>

#include <array>
#include <cstdint>

class QColor;
class QPainter;

namespace quillon {

class TrackLevelMeter {
public:
    static constexpr int kRing = 15;
    static constexpr float kFall = 0.02f;
    static constexpr float kSilence = 0.001f;

    void feed(float peak);
    void reset();

    float level() const { return m_level; }
    float previousLevel() const { return m_previous; }
    bool isDirty() const { return m_dirty; }

    // Draws into `rect` (its width and height are the meter's w and h); the left
    // channel is `mirrored`, growing from the right edge toward the left. Unless
    // `whole`, only the columns between the previous and the current level are drawn.
    void draw(QPainter& p, const QRect& rect, bool mirrored, bool whole = false);
    // The colour of column m of a meter of width w at `level`.
    static QColor columnColour(int m, int w, float level);

private:
    std::array<float, kRing> m_ring{};
    uint32_t m_count = 0;
    float m_level = 0.0f;
    float m_previous = -1.0f;
    bool m_dirty = true;
};

} // namespace quillon
