#include "time_scale_map.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillon::filefilter {

namespace {

constexpr int64_t kMaxOutput = std::numeric_limits<int32_t>::max();

bool validRatio(float ratio)
{
    return std::isfinite(ratio) && ratio >= TimeScaleMap::kMinRatio && ratio <= TimeScaleMap::kMaxRatio;
}

} // namespace

TimeScaleMap::TimeScaleMap(int64_t sourceLength) : m_sourceLength(std::max<int64_t>(0, sourceLength))
{
    rebuild(m_ratio);
}

void TimeScaleMap::setSourceLength(int64_t frames)
{
    m_sourceLength = std::max<int64_t>(0, frames);
    if (!rebuild(m_ratio)) {
        // A source that grew past what the ratio can address plays unscaled rather than
        // with an output length that no position can reach.
        m_ratio = 1.0f;
        rebuild(m_ratio);
    }
}

bool TimeScaleMap::setRatio(float ratio)
{
    if (!validRatio(ratio))
        return false;
    if (!rebuild(ratio))
        return false;
    m_ratio = ratio;
    return true;
}

bool TimeScaleMap::setTransition(int64_t length, uint32_t flags, float ratio)
{
    const uint32_t side = flags & (kStart | kEnd);
    const uint32_t kind = flags & 0xFFu;
    if (length < 0 || side == (kStart | kEnd) || (flags & ~(kStart | kEnd | 0xFFu)) != 0 || kind > kGradual)
        return false;
    const bool removes = length == 0 || kind == 0 || ratio == 1.0f;
    if (!removes && (!validRatio(ratio) || side == 0))
        return false;

    const Transition oldStart = m_start;
    const Transition oldEnd = m_end;
    const Transition next = removes ? Transition{} : Transition{length, kind, ratio};
    if (side == kStart || side == 0)
        m_start = next;
    if (side == kEnd || side == 0)
        m_end = next;
    if (!rebuild(m_ratio)) {
        m_start = oldStart;
        m_end = oldEnd;
        rebuild(m_ratio);
        return false;
    }
    return true;
}

bool TimeScaleMap::isIdentity() const
{
    return m_ratio == 1.0f && !m_start.active() && !m_end.active();
}

bool TimeScaleMap::rebuild(float ratio)
{
    const int64_t len = m_sourceLength;
    const int64_t startLength = m_start.active() ? std::min(m_start.length, len) : 0;
    const int64_t endLength = m_end.active() ? std::min(m_end.length, len - startLength) : 0;

    std::vector<Piece> pieces;
    if (startLength > 0) {
        Piece p;
        p.sourceBegin = 0;
        p.sourceEnd = startLength;
        p.body = false;
        const double r = m_start.ratio;
        // Gradual: the clip's edge (x = 0) runs at r, the body's side at 1.
        p.t0 = r;
        p.slope = m_start.kind == kGradual ? (1.0 - r) / static_cast<double>(startLength) : 0.0;
        pieces.push_back(p);
    }
    if (len - startLength - endLength > 0) {
        Piece p;
        p.sourceBegin = startLength;
        p.sourceEnd = len - endLength;
        pieces.push_back(p);
    }
    if (endLength > 0) {
        Piece p;
        p.sourceBegin = len - endLength;
        p.sourceEnd = len;
        p.body = false;
        const double r = m_end.ratio;
        if (m_end.kind == kGradual) {
            p.t0 = 1.0;
            p.slope = (r - 1.0) / static_cast<double>(endLength);
        } else {
            p.t0 = r;
        }
        pieces.push_back(p);
    }

    // Whole output frames per piece: transitions round their scaled length, the body
    // keeps its own, and the clip ratio scales the running total.
    int64_t scaledTotal = 0;
    int64_t outBegin = 0;
    for (Piece& p : pieces) {
        p.scaled = integral(p, static_cast<double>(p.sourceEnd - p.sourceBegin));
        scaledTotal += p.body ? p.sourceEnd - p.sourceBegin : std::max<int64_t>(1, std::llround(p.scaled));
        const double out = std::round(static_cast<double>(scaledTotal) * ratio);
        if (out > static_cast<double>(kMaxOutput))
            return false;
        p.outBegin = outBegin;
        p.outEnd = std::max(outBegin, static_cast<int64_t>(out));
        outBegin = p.outEnd;
    }
    // Pieces squeezed to nothing by a tiny ratio carry no frames.
    std::erase_if(pieces, [](const Piece& p) { return p.outEnd == p.outBegin; });

    std::vector<Segment> segments;
    if (ratio == 1.0f) {
        for (const Piece& p : pieces)
            segments.push_back({p.outBegin, p.outEnd, p.sourceBegin, p.sourceEnd, !p.body});
    } else if (!pieces.empty()) {
        segments.push_back({0, pieces.back().outEnd, 0, len, true});
    }

    m_pieces = std::move(pieces);
    m_segments = std::move(segments);
    m_scaledLength = scaledTotal;
    m_outputLength = m_pieces.empty() ? 0 : m_pieces.back().outEnd;
    return true;
}

double TimeScaleMap::integral(const Piece& p, double x)
{
    return p.t0 * x + 0.5 * p.slope * x * x;
}

double TimeScaleMap::inverseIntegral(const Piece& p, double tau)
{
    if (p.slope == 0.0)
        return tau / p.t0;
    // Root of t0 x + slope x^2 / 2 = tau in the form that stays exact as slope -> 0.
    const double d = p.t0 * p.t0 + 2.0 * p.slope * tau;
    return 2.0 * tau / (p.t0 + std::sqrt(std::max(0.0, d)));
}

// Output frames per unit of the piece's integral: the clip ratio, corrected by the
// rounding that gave the piece its whole number of frames.
double TimeScaleMap::pieceRate(const Piece& p) const
{
    return p.scaled > 0.0 ? static_cast<double>(p.outEnd - p.outBegin) / p.scaled : 0.0;
}

const TimeScaleMap::Piece* TimeScaleMap::pieceAtSource(double source) const
{
    for (const Piece& p : m_pieces) {
        if (source < static_cast<double>(p.sourceEnd))
            return &p;
    }
    return m_pieces.empty() ? nullptr : &m_pieces.back();
}

const TimeScaleMap::Piece* TimeScaleMap::pieceAtOutput(double output) const
{
    for (const Piece& p : m_pieces) {
        if (output < static_cast<double>(p.outEnd))
            return &p;
    }
    return m_pieces.empty() ? nullptr : &m_pieces.back();
}

double TimeScaleMap::localRatio(double source) const
{
    const Piece* p = pieceAtSource(source);
    if (!p)
        return m_ratio;
    const double x = std::clamp(source - static_cast<double>(p->sourceBegin), 0.0,
                                static_cast<double>(p->sourceEnd - p->sourceBegin));
    return (p->t0 + p->slope * x) * pieceRate(*p);
}

double TimeScaleMap::maxLocalRatio() const
{
    double most = m_pieces.empty() ? m_ratio : 0.0;
    // The ratio is linear within a piece: its largest value lies at one of its ends.
    for (const Piece& p : m_pieces) {
        const double length = static_cast<double>(p.sourceEnd - p.sourceBegin);
        most = std::max(most, std::max(p.t0, p.t0 + p.slope * length) * pieceRate(p));
    }
    return most;
}

double TimeScaleMap::outputAt(double source) const
{
    if (m_pieces.empty())
        return source * m_ratio;
    if (source <= 0.0)
        return source * localRatio(0.0);
    const double len = static_cast<double>(m_sourceLength);
    if (source >= len)
        return static_cast<double>(m_outputLength) + (source - len) * localRatio(len);
    const Piece* p = pieceAtSource(source);
    const double x = source - static_cast<double>(p->sourceBegin);
    return static_cast<double>(p->outBegin) + integral(*p, x) * pieceRate(*p);
}

double TimeScaleMap::sourceAt(double output) const
{
    if (m_pieces.empty())
        return output / m_ratio;
    if (output <= 0.0)
        return output / localRatio(0.0);
    const double total = static_cast<double>(m_outputLength);
    if (output >= total)
        return static_cast<double>(m_sourceLength) + (output - total) / localRatio(static_cast<double>(m_sourceLength));
    const Piece* p = pieceAtOutput(output);
    const double tau = (output - static_cast<double>(p->outBegin)) / pieceRate(*p);
    const double x = std::min(inverseIntegral(*p, tau), static_cast<double>(p->sourceEnd - p->sourceBegin));
    return static_cast<double>(p->sourceBegin) + x;
}

bool TimeScaleMap::operator==(const TimeScaleMap& other) const
{
    return m_sourceLength == other.m_sourceLength && m_ratio == other.m_ratio && m_start == other.m_start &&
           m_end == other.m_end;
}

} // namespace quillon::filefilter
