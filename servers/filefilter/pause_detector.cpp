#include "pause_detector.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>
#include <tuple>

namespace quillon::filefilter {

namespace {

constexpr size_t kBlock = 65536;
// Pauses shorter than this would split at the quiet moments of the music itself.
constexpr double kShortestPauseSeconds = 0.01;
constexpr double kLongestSeconds = 24.0 * 3600.0;

int64_t framesOf(float seconds, double shortest, int rate)
{
    const double s = std::isfinite(seconds) ? std::clamp(static_cast<double>(seconds), shortest, kLongestSeconds)
                                            : shortest;
    return std::max<int64_t>(1, std::llround(s * rate));
}

// The pieces as a doubly linked list, so that joining two of them is constant time.
struct Piece {
    AudioRange range;
    int prev = -1;
    int next = -1;
    bool alive = true;
};

class PieceList {
public:
    explicit PieceList(const std::vector<AudioRange>& ranges)
    {
        for (size_t i = 0; i < ranges.size(); ++i) {
            Piece p;
            p.range = ranges[i];
            p.prev = static_cast<int>(i) - 1;
            p.next = i + 1 < ranges.size() ? static_cast<int>(i) + 1 : -1;
            m_pieces.push_back(p);
        }
        m_alive = ranges.size();
    }

    const Piece& operator[](int i) const { return m_pieces[static_cast<size_t>(i)]; }
    size_t alive() const { return m_alive; }
    size_t size() const { return m_pieces.size(); }

    int64_t gapAfter(int i) const
    {
        const Piece& p = (*this)[i];
        return p.next < 0 ? std::numeric_limits<int64_t>::max() : (*this)[p.next].range.begin - p.range.end;
    }

    // Joins piece `right` into its left neighbour `left`; returns `left`.
    int join(int left, int right)
    {
        Piece& l = m_pieces[static_cast<size_t>(left)];
        Piece& r = m_pieces[static_cast<size_t>(right)];
        l.range.end = r.range.end;
        l.next = r.next;
        if (r.next >= 0)
            m_pieces[static_cast<size_t>(r.next)].prev = left;
        r.alive = false;
        --m_alive;
        return left;
    }

    std::vector<AudioRange> ranges() const
    {
        std::vector<AudioRange> out;
        for (const Piece& p : m_pieces) {
            if (p.alive)
                out.push_back(p.range);
        }
        return out;
    }

private:
    std::vector<Piece> m_pieces;
    size_t m_alive = 0;
};

// Short pieces go to the neighbour across the shorter pause, shortest piece first.
void joinShortPieces(PieceList& list, int64_t minTrack)
{
    using Entry = std::pair<int64_t, int>; // length, piece
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
    for (int i = 0; i < static_cast<int>(list.size()); ++i) {
        if (list[i].range.length() < minTrack)
            queue.emplace(list[i].range.length(), i);
    }
    while (!queue.empty() && list.alive() > 1) {
        const auto [length, i] = queue.top();
        queue.pop();
        if (!list[i].alive || list[i].range.length() != length)
            continue; // stale: the piece has grown or gone since
        const int prev = list[i].prev;
        const int64_t gapBefore = prev < 0 ? std::numeric_limits<int64_t>::max() : list.gapAfter(prev);
        const int joined = gapBefore <= list.gapAfter(i) ? list.join(prev, i) : list.join(i, list[i].next);
        if (list[joined].range.length() < minTrack)
            queue.emplace(list[joined].range.length(), joined);
    }
}

// Joins across the shortest pauses until at most `most` pieces remain.
void joinDownTo(PieceList& list, size_t most)
{
    using Entry = std::tuple<int64_t, int, int>; // gap, left piece, right piece
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
    for (int i = 0; i < static_cast<int>(list.size()); ++i) {
        if (list[i].alive && list[i].next >= 0)
            queue.emplace(list.gapAfter(i), i, list[i].next);
    }
    while (list.alive() > most && !queue.empty()) {
        const auto [gap, left, right] = queue.top();
        queue.pop();
        if (!list[left].alive || list[left].next != right)
            continue;
        list.join(left, right);
        if (list[left].next >= 0)
            queue.emplace(list.gapAfter(left), left, list[left].next);
    }
}

} // namespace

PauseDetector::PauseDetector(int channels, int sampleRate)
    : m_channels(std::max(1, channels)), m_rate(std::max(1, sampleRate))
{
}

std::vector<AudioRange> PauseDetector::detect(const SourceRead& source, int64_t sourceLength,
                                              const Settings& settings) const
{
    if (sourceLength <= 0)
        return {};
    const float threshold = std::isfinite(settings.threshold) ? std::max(0.0f, settings.threshold) : 0.0f;
    const int64_t minPause = framesOf(settings.minPauseSeconds, kShortestPauseSeconds, m_rate);
    const int64_t minTrack = framesOf(settings.minTrackSeconds, 0.0, m_rate);
    const size_t most = std::max<size_t>(1, settings.maxRanges);

    // One pass: every quiet run of at least minPause between two loud samples is a pause.
    const size_t ch = static_cast<size_t>(m_channels);
    std::vector<float> block(kBlock * ch);
    std::vector<AudioRange> pieces;
    int64_t pieceBegin = -1; // first loud frame of the piece being collected
    int64_t lastLoud = -1;
    for (int64_t at = 0; at < sourceLength; at += static_cast<int64_t>(kBlock)) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(kBlock), sourceLength - at));
        const size_t got = std::min(want, source(at, block.data(), want));
        for (size_t i = 0; i < got; ++i) {
            float peak = 0.0f;
            for (size_t c = 0; c < ch; ++c)
                peak = std::max(peak, std::fabs(block[i * ch + c]));
            if (!(peak > threshold))
                continue;
            const int64_t frame = at + static_cast<int64_t>(i);
            if (pieceBegin < 0) {
                pieceBegin = frame;
            } else if (frame - (lastLoud + 1) >= minPause) {
                pieces.push_back({pieceBegin, lastLoud + 1});
                pieceBegin = frame;
            }
            lastLoud = frame;
        }
        if (got < want)
            break; // a damaged source ends early: what was read still counts
    }
    if (pieceBegin < 0)
        return {{0, sourceLength}};
    pieces.push_back({pieceBegin, lastLoud + 1});

    PieceList list(pieces);
    joinShortPieces(list, minTrack);
    joinDownTo(list, most);
    return list.ranges();
}

} // namespace quillon::filefilter
