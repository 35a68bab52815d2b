#pragma once
// Where each source frame of a clip lands after time scaling, and back.
//
// Two scalings combine. A transition scaling stretches only the first or the last L
// frames of the source (a crossfade with a clip of another tempo): "hard" at one ratio
// over the whole transition, "gradual" with a ratio moving linearly from 1 on the body's
// side to the given ratio at the clip's edge, so the tempo glides from the source's own
// to the common one. The clip's time-scale ratio then stretches the result as a whole.
//
// Output positions are whole frames; each piece (start transition, body, end
// transition) owns a whole number of output frames, so with a clip ratio of 1 the body
// maps frame for frame onto the source and can be copied unchanged.
//
// A value type: copy it to every reader; not shared between threads.

#include <quillon/plugin_abi.h>

#include <cstdint>
#include <vector>

namespace quillon::filefilter {

class TimeScaleMap {
public:
    // Transition flags: the side in the high byte, the kind in the low one.
    static constexpr uint32_t kStart = QUILLON_FF_TRANSITION_AT_START;
    static constexpr uint32_t kEnd = QUILLON_FF_TRANSITION_AT_END;
    static constexpr uint32_t kHard = QUILLON_FF_TRANSITION_HARD;
    static constexpr uint32_t kGradual = QUILLON_FF_TRANSITION_GRADUAL;

    static constexpr float kMinRatio = 0.01f;
    static constexpr float kMaxRatio = 100.0f;

    struct Transition {
        int64_t length = 0; // source frames
        uint32_t kind = 0;  // 0 (none), kHard or kGradual
        float ratio = 1.0f;
        bool active() const { return length > 0 && kind != 0 && ratio != 1.0f; }
        bool operator==(const Transition&) const = default;
    };

    // A stretch of output frames and the source frames it comes from.
    struct Segment {
        int64_t outBegin = 0;
        int64_t outEnd = 0;
        int64_t sourceBegin = 0;
        int64_t sourceEnd = 0;
        bool stretched = false; // false: frame for frame from sourceBegin
    };

    explicit TimeScaleMap(int64_t sourceLength = 0);

    void setSourceLength(int64_t frames);
    int64_t sourceLength() const { return m_sourceLength; }

    // The clip's ratio. False (and unchanged) for a ratio outside kMinRatio..kMaxRatio,
    // a non-number, or one that would make the output longer than 2^31 - 1 frames.
    bool setRatio(float ratio);
    float ratio() const { return m_ratio; }

    // A transition scaling as the time-scale command carries it: length, flags (side |
    // kind) and ratio. A zero length, no kind or a ratio of 1 removes the transition of
    // that side (of both sides when the flags name none). False for anything malformed.
    bool setTransition(int64_t length, uint32_t flags, float ratio);
    const Transition& startTransition() const { return m_start; }
    const Transition& endTransition() const { return m_end; }

    // Nothing to scale: reads are the source itself.
    bool isIdentity() const;

    // Length after the transition scalings, before the clip ratio.
    int64_t scaledLength() const { return m_scaledLength; }
    // Length that reads deliver: the scaled length times the clip ratio.
    int64_t outputLength() const { return m_outputLength; }

    // Output position of a source position and back (beyond either end the mapping
    // continues at the rate it has there).
    double outputAt(double source) const;
    double sourceAt(double output) const;
    // Output frames per source frame at a source position.
    double localRatio(double source) const;
    // The largest local ratio anywhere in the source.
    double maxLocalRatio() const;

    const std::vector<Segment>& segments() const { return m_segments; }

    bool operator==(const TimeScaleMap& other) const;

private:
    // One piece of the source with its ratio t(x) = t0 + slope * x (x from the piece start).
    struct Piece {
        int64_t sourceBegin = 0;
        int64_t sourceEnd = 0;
        double t0 = 1.0;
        double slope = 0.0;
        double scaled = 0.0; // exact integral of t over the piece
        int64_t outBegin = 0;
        int64_t outEnd = 0;
        bool body = true;
    };

    bool rebuild(float ratio);
    const Piece* pieceAtSource(double source) const;
    const Piece* pieceAtOutput(double output) const;
    static double integral(const Piece& p, double x);
    static double inverseIntegral(const Piece& p, double tau);
    double pieceRate(const Piece& p) const;

    int64_t m_sourceLength = 0;
    float m_ratio = 1.0f;
    Transition m_start;
    Transition m_end;

    std::vector<Piece> m_pieces;
    std::vector<Segment> m_segments;
    int64_t m_scaledLength = 0;
    int64_t m_outputLength = 0;
};

} // namespace quillon::filefilter
