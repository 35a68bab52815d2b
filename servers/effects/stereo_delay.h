#pragma once
// Stereo echo: one delay line per channel with its own time, feedback into the same
// line and across to the other one (ping-pong), and a high cut in the feedback path so
// that repeats darken like tape echoes. A mono stream uses the left line only.

#include "effect.h"

#include <vector>

namespace quillon::fx {

class StereoDelay : public Effect {
public:
    enum Parameter : uint32_t { LeftTime, RightTime, Feedback, CrossFeed, HighCut, EchoLevel, ParameterCount };

    static constexpr float kMaxTimeMs = 2000.0f;
    static constexpr float kHighCutOff = 20000.0f; // at the top of its range the high cut is off

    StereoDelay();
    static const EffectSpec& descriptor();

protected:
    void prepare() override;
    void process(float* data, uint32_t frames) override;
    void update() override;

private:
    std::vector<float> m_lines[kMaxChannels];
    uint32_t m_length = 0;
    uint32_t m_writePos = 0;
    uint32_t m_delay[kMaxChannels] = {1, 1};
    float m_lowPass[kMaxChannels] = {};
    float m_feedback = 0.0f;
    float m_cross = 0.0f;
    float m_cutCoef = 0.0f; // 0: high cut off
    float m_level = 0.0f;
};

} // namespace quillon::fx
