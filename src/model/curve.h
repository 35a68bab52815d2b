#pragma once
// An envelope curve: a breakpoint function over the timeline that a track applies to
// its audio (kind 0 volume, kind 1 pan). The curve also keeps the pixel rectangle and
// the timeline range the view last drew it in, so that the view and the curve tool
// draw, hit-test and drag points through the curve's own mapping.
//
// Threads: a curve has no lock of its own. Its owning track's lock guards it; the
// user-interface thread edits and the render thread applies it under that lock.
// apply() and valueAt() do not touch the iteration position, so a render pass never
// disturbs a walk the view is doing with firstPointAtOrAfter()/nextPoint().

#include "base/sample_range.h"
#include "base/serializable.h"
#include "model/curve_point.h"

#include <cstdint>
#include <list>
#include <memory>

namespace quillon {

// Pixel rectangle of a curve lane; right and bottom are exclusive edges as the view
// gives them.
struct CurveRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 100;
    int32_t bottom = 100;
};

struct CurvePixel {
    int32_t x = 0;
    int32_t y = 0;
    friend constexpr bool operator==(const CurvePixel&, const CurvePixel&) = default;
};

class CCurve : public CObject {
    QUILLON_DECLARE_SERIAL(CCurve)
public:
    enum Kind : int32_t { kVolume = 0, kPan = 1 };

    // Pixel results are kept within +-kPixelLimit so that a point far outside a
    // zoomed-in range still leaves room for the view's own offsets.
    static constexpr int32_t kPixelLimit = 1 << 30;
    // A hit on the line needs both distances below this many pixels.
    static constexpr int32_t kHitDistance = 5;

    CCurve() = default;
    explicit CCurve(int32_t kind) : m_kind(kind) {}
    ~CCurve() override;
    CCurve(const CCurve&) = delete;
    CCurve& operator=(const CCurve&) = delete;

    int32_t kind() const { return m_kind; }
    void setKind(int32_t kind) { m_kind = kind; }
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    const CurveRect& displayRect() const { return m_rect; }
    void setDisplayRect(const CurveRect& rect) { m_rect = rect; }
    const SampleRange& displayRange() const { return m_range; }
    void setDisplayRange(const SampleRange& range) { m_range = range; }

    int pointCount() const { return static_cast<int>(m_points.size()); }

    // Takes ownership and keeps the points sorted by position. With `beforeEqual` the
    // point goes before any points at its position, otherwise after them.
    CurvePoint* insertPoint(std::unique_ptr<CurvePoint> point, bool beforeEqual);
    CurvePoint* addPoint(int32_t position, float value, bool beforeEqual = false);
    // Gives the point a new position and value and moves it to its place in the
    // list (after any points at that position); false when it is not one of this
    // curve's. The point object stays the same.
    bool placePoint(CurvePoint* point, int32_t position, float value);
    // Destroys the point; false when it is not one of this curve's.
    bool removePoint(const CurvePoint* point);
    void removeAllPoints();

    // Remembers the found point as the iteration position; null when none.
    CurvePoint* firstPointAtOrAfter(int32_t position);
    // The point after the iteration position, which moves there; null at the end.
    // When the remembered point was removed, the walk goes on with the point that
    // followed it.
    CurvePoint* nextPoint();

    // Neighbour lookups for the curve tool (drag limits) and for drawing; null when
    // there is none or `point` is not on this curve.
    CurvePoint* firstPoint() const;
    CurvePoint* lastPoint() const;
    CurvePoint* pointBefore(const CurvePoint* point) const;
    CurvePoint* pointAfter(const CurvePoint* point) const;

    // 1.0 without points; the first point's value before it, the last one's after it,
    // linear in between; where two points share a position the earlier one holds at
    // that position and the later one starts the next segment.
    float valueAt(int32_t position) const;

    // Mapping to and from the display rectangle and range. A range of length 0 or a
    // rectangle narrower or lower than its 7-pixel margins maps everything onto the
    // margin instead of dividing by zero.
    CurvePixel pointToPixel(const CurvePoint& point) const;
    // The position is clamped at 0 (and to the sample-position range), the value to 0..1.
    CurvePoint pixelToPoint(int32_t x, int32_t y) const;
    // Tests the curve's line, not only its points.
    bool hitTest(int32_t x, int32_t y) const;

    // Applies the curve to `frameCount` interleaved float frames whose first frame
    // stands at sample position `firstPosition`. Volume scales every channel; pan
    // scales the first channel by min(1, 2v) and the second by min(1, 2(1 - v)) and
    // leaves anything but exactly two channels alone; other kinds change nothing.
    // Per-frame values equal valueAt() at each frame's position. Allocates nothing.
    void apply(float* frames, int32_t frameCount, int channels, int32_t firstPosition) const;

    // Multiplies every position by `ratio` (new rate / old rate), truncated and kept
    // in the sample-position range. A ratio that is not a positive number is refused.
    bool rescale(float ratio);

    void serialize(CArchive& ar) override;

private:
    using PointList = std::list<std::unique_ptr<CurvePoint>>;

    PointList::const_iterator find(const CurvePoint* point) const;
    void resetIteration();

    bool m_visible = true;
    CurveRect m_rect;
    SampleRange m_range{0, 100};
    int32_t m_kind = kVolume;
    PointList m_points;
    // Iteration position: end() when none. m_iterRestart says the remembered point was
    // removed and the walk continues at m_iter itself instead of after it.
    PointList::iterator m_iter = m_points.end();
    bool m_iterRestart = false;
};

} // namespace quillon
