#include "model/curve.h"

#include "base/archive.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace quillon {

QUILLON_IMPLEMENT_SERIAL(CCurve, 1)

namespace {

constexpr int64_t kPositionMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kPositionMax = std::numeric_limits<int32_t>::max();

// a * b / c truncated toward zero, c != 0. Rectangles and ranges may use the whole
// 32-bit span, so the product can need more than 64 bits.
int64_t mulDiv(int64_t a, int64_t b, int64_t c)
{
    const __int128 q = static_cast<__int128>(a) * b / c;
    constexpr __int128 lo = std::numeric_limits<int64_t>::min();
    constexpr __int128 hi = std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(std::clamp(q, lo, hi));
}

int32_t toPixel(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, -CCurve::kPixelLimit, CCurve::kPixelLimit));
}

int32_t toPixel(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int32_t>(std::clamp<double>(v, -CCurve::kPixelLimit, CCurve::kPixelLimit));
}

int32_t toPosition(int64_t v)
{
    return static_cast<int32_t>(std::clamp(v, kPositionMin, kPositionMax));
}

// The one place the line between two points is evaluated, so that a block and a
// single position get bit-identical values.
float interpolate(const CurvePoint& q, const CurvePoint& p, int64_t a)
{
    const double span = static_cast<double>(int64_t{p.position} - q.position);
    const double dv = static_cast<double>(p.value) - static_cast<double>(q.value);
    return static_cast<float>(static_cast<double>(q.value) + dv * static_cast<double>(a - q.position) / span);
}

} // namespace

CCurve::~CCurve() = default;

CCurve::PointList::const_iterator CCurve::find(const CurvePoint* point) const
{
    return std::find_if(m_points.begin(), m_points.end(), [point](const auto& p) { return p.get() == point; });
}

void CCurve::resetIteration()
{
    m_iter = m_points.end();
    m_iterRestart = false;
}

CurvePoint* CCurve::insertPoint(std::unique_ptr<CurvePoint> point, bool beforeEqual)
{
    if (!point)
        return nullptr;
    CurvePoint* raw = point.get();
    const int32_t pos = raw->position;
    if (m_points.empty() || pos > m_points.back()->position || (!beforeEqual && pos == m_points.back()->position)) {
        m_points.push_back(std::move(point));
        return raw;
    }
    auto it = beforeEqual
                  ? std::find_if(m_points.begin(), m_points.end(), [pos](const auto& p) { return p->position >= pos; })
                  : std::find_if(m_points.begin(), m_points.end(), [pos](const auto& p) { return p->position > pos; });
    m_points.insert(it, std::move(point));
    return raw;
}

CurvePoint* CCurve::addPoint(int32_t position, float value, bool beforeEqual)
{
    return insertPoint(std::make_unique<CurvePoint>(position, value), beforeEqual);
}

bool CCurve::placePoint(CurvePoint* point, int32_t position, float value)
{
    auto it = find(point);
    if (it == m_points.end())
        return false;
    point->position = position;
    point->value = value;
    // Splicing keeps the node, so a walk standing on it stays usable.
    auto others = [point, position](const auto& p) { return p.get() != point && p->position > position; };
    auto target = std::find_if(m_points.begin(), m_points.end(), others);
    m_points.splice(target, m_points, it);
    return true;
}

bool CCurve::removePoint(const CurvePoint* point)
{
    auto it = find(point);
    if (it == m_points.end())
        return false;
    if (m_iter == it) {
        // Keep a walk in progress going with the point that followed the removed one.
        m_iter = m_points.erase(it);
        m_iterRestart = true;
    } else {
        m_points.erase(it);
    }
    return true;
}

void CCurve::removeAllPoints()
{
    m_points.clear();
    resetIteration();
}

CurvePoint* CCurve::firstPointAtOrAfter(int32_t position)
{
    m_iterRestart = false;
    m_iter = std::find_if(m_points.begin(), m_points.end(), [position](const auto& p) { return p->position >= position; });
    return m_iter == m_points.end() ? nullptr : m_iter->get();
}

CurvePoint* CCurve::nextPoint()
{
    if (m_iterRestart)
        m_iterRestart = false;
    else if (m_iter != m_points.end())
        ++m_iter;
    return m_iter == m_points.end() ? nullptr : m_iter->get();
}

CurvePoint* CCurve::firstPoint() const
{
    return m_points.empty() ? nullptr : m_points.front().get();
}

CurvePoint* CCurve::lastPoint() const
{
    return m_points.empty() ? nullptr : m_points.back().get();
}

CurvePoint* CCurve::pointBefore(const CurvePoint* point) const
{
    auto it = find(point);
    if (it == m_points.end() || it == m_points.begin())
        return nullptr;
    return std::prev(it)->get();
}

CurvePoint* CCurve::pointAfter(const CurvePoint* point) const
{
    auto it = find(point);
    if (it == m_points.end() || std::next(it) == m_points.end())
        return nullptr;
    return std::next(it)->get();
}

float CCurve::valueAt(int32_t position) const
{
    if (m_points.empty())
        return 1.0f;
    auto it = std::find_if(m_points.begin(), m_points.end(), [position](const auto& p) { return p->position >= position; });
    if (it == m_points.end())
        return m_points.back()->value;
    const CurvePoint& p = **it;
    if (it == m_points.begin())
        return p.value;
    const CurvePoint& q = **std::prev(it);
    if (q.position == p.position)
        return p.value;
    return interpolate(q, p, position);
}

CurvePixel CCurve::pointToPixel(const CurvePoint& point) const
{
    const int64_t width = int64_t{m_rect.right} - m_rect.left - 7;
    const int64_t height = int64_t{m_rect.bottom} - m_rect.top - 7;
    const int64_t length = int64_t{m_range.end} - m_range.begin;
    const int64_t offset = length != 0 ? mulDiv(int64_t{point.position} - m_range.begin, width, length) : 0;
    const double y = static_cast<double>(height) * (1.0 - static_cast<double>(point.value)) + m_rect.top + 3;
    return {toPixel(offset + m_rect.left + 3), toPixel(y)};
}

CurvePoint CCurve::pixelToPoint(int32_t x, int32_t y) const
{
    const int64_t width = std::max<int64_t>(1, int64_t{m_rect.right} - m_rect.left - 7);
    const int64_t height = std::max<int64_t>(1, int64_t{m_rect.bottom} - m_rect.top - 7);
    const int64_t length = int64_t{m_range.end} - m_range.begin;
    const int64_t position = mulDiv(int64_t{x} - m_rect.left - 3, length, width) + m_range.begin;
    const double value = 1.0 - static_cast<double>(int64_t{y} - m_rect.top - 3) / static_cast<double>(height);
    return {toPosition(std::max<int64_t>(0, position)), static_cast<float>(std::clamp(value, 0.0, 1.0))};
}

bool CCurve::hitTest(int32_t x, int32_t y) const
{
    const CurvePoint at = pixelToPoint(x, y);
    const CurvePixel line = pointToPixel({at.position, valueAt(at.position)});
    return std::abs(int64_t{line.x} - x) < kHitDistance && std::abs(int64_t{line.y} - y) < kHitDistance;
}

namespace {

// Scales frames [0, count) by start + slope * k; a flat stretch has slope 0. Plain loops
// over one kind and channel count, so that they vectorise. Volume ramps are stepped in float
// within runs of kRun frames, each run starting from the exact double value, which keeps
// every gain within a few float steps of the exact line.
constexpr int32_t kRun = 64;

void scaleVolume(float* out, int32_t count, int channels, double start, double slope)
{
    if (slope == 0.0) {
        const auto v = static_cast<float>(start);
        if (v == 1.0f)
            return;
        const int64_t n = int64_t{count} * channels;
        for (int64_t i = 0; i < n; ++i)
            out[i] *= v;
        return;
    }
    const auto step = static_cast<float>(slope);
    for (int32_t k0 = 0; k0 < count; k0 += kRun) {
        const int32_t n = std::min(kRun, count - k0);
        const auto v0 = static_cast<float>(start + slope * static_cast<double>(k0));
        float* run = out + int64_t{k0} * channels;
        if (channels == 2) {
            for (int32_t k = 0; k < n; ++k) {
                const float v = v0 + step * static_cast<float>(k);
                run[2 * k] *= v;
                run[2 * k + 1] *= v;
            }
        } else {
            for (int32_t k = 0; k < n; ++k) {
                const float v = v0 + step * static_cast<float>(k);
                for (int c = 0; c < channels; ++c)
                    run[k * channels + c] *= v;
            }
        }
    }
}

// Pan gains take 1 - v, which would magnify a float step's error near the right edge:
// each value comes from the double line instead.
void scalePan(float* out, int32_t count, double start, double slope)
{
    for (int32_t k = 0; k < count; ++k) {
        const auto v = static_cast<float>(start + slope * static_cast<double>(k));
        out[2 * k] *= std::min(1.0f, 2.0f * v);
        out[2 * k + 1] *= std::min(1.0f, 2.0f * (1.0f - v));
    }
}

} // namespace

void CCurve::apply(float* frames, int32_t frameCount, int channels, int32_t firstPosition) const
{
    if (!frames || frameCount <= 0 || channels <= 0)
        return;
    if (m_kind != kVolume && (m_kind != kPan || channels != 2))
        return;

    const bool pan = m_kind == kPan;
    int64_t a = firstPosition;
    const int64_t end = a + frameCount;
    // Values along the line base + slope * (frame - origin) for frames [a, until).
    auto scale = [&](int64_t until, double base, double slope, int64_t origin) {
        float* out = frames + (a - firstPosition) * channels;
        const auto count = static_cast<int32_t>(until - a);
        const double start = base + slope * static_cast<double>(a - origin);
        if (pan)
            scalePan(out, count, start, slope);
        else
            scaleVolume(out, count, channels, start, slope);
        a = until;
    };

    if (m_points.empty()) {
        scale(end, 1.0, 0.0, 0);
        return;
    }

    auto it = m_points.begin();
    while (it != m_points.end() && (*it)->position < a)
        ++it;
    while (a < end) {
        if (it == m_points.end()) {
            scale(end, m_points.back()->value, 0.0, 0);
            break;
        }
        // Frames up to and including P's position take their value from the line
        // ending at P; the first point, or the later of two equal ones, holds flat.
        const CurvePoint& p = **it;
        const int64_t segmentEnd = std::min<int64_t>(end, int64_t{p.position} + 1);
        const CurvePoint* q = it == m_points.begin() ? nullptr : std::prev(it)->get();
        if (!q || q->position == p.position) {
            scale(segmentEnd, p.value, 0.0, 0);
        } else {
            const double span = static_cast<double>(int64_t{p.position} - q->position);
            const double slope = (static_cast<double>(p.value) - static_cast<double>(q->value)) / span;
            scale(segmentEnd, q->value, slope, q->position);
        }
        while (it != m_points.end() && (*it)->position < a)
            ++it;
    }
}

bool CCurve::rescale(float ratio)
{
    if (!(ratio > 0.0f) || !std::isfinite(ratio))
        return false;
    for (auto& p : m_points) {
        const double scaled = std::trunc(static_cast<double>(p->position) * static_cast<double>(ratio));
        p->position = static_cast<int32_t>(std::clamp<double>(scaled, kPositionMin, kPositionMax));
    }
    return true;
}

void CCurve::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        ar.writeU32(static_cast<uint32_t>(m_points.size()));
        for (const auto& p : m_points) {
            ar.writeI32(m_kind);
            ar.writeI32(p->position);
            ar.writeFloat(p->value);
        }
        return;
    }

    removeAllPoints();
    // The kind lives only in the point records: a curve stored without points comes
    // back as a volume curve.
    m_kind = kVolume;
    const uint32_t count = ar.readU32();
    for (uint32_t i = 0; i < count; ++i) {
        const int32_t kind = ar.readI32();
        const int32_t position = ar.readI32();
        const float value = ar.readFloat();
        m_kind = kind;
        // Stored curves are sorted, so this appends; a hand-edited file still yields
        // a sorted curve.
        addPoint(position, value, false);
    }
}

} // namespace quillon
