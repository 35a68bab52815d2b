#pragma once
// Feed-forward compressor with a soft knee. The level is the mean square of the louder
// channel over a short window, so steady tones are compressed by their RMS level and
// both channels always get the same gain (the stereo image does not wander).

#include "effect.h"

namespace quillon::fx {

class Compressor : public Effect {
public:
    enum Parameter : uint32_t { Threshold, Ratio, Attack, Release, Knee, MakeUp, ParameterCount };

    // Time constant of the level detector.
    static constexpr float kDetectorMs = 10.0f;

    Compressor();
    static const EffectSpec& descriptor();

    // The static curve: gain change in dB for an input level in dB.
    static float gainComputer(float levelDb, float thresholdDb, float ratio, float kneeDb);

protected:
    void prepare() override;
    void process(float* data, uint32_t frames) override;
    void update() override;

private:
    double m_meanSquare = 0.0;
    float m_gainDb = 0.0f; // smoothed gain change, <= 0
    float m_detectorCoef = 0.0f;
    float m_attackCoef = 0.0f;
    float m_releaseCoef = 0.0f;
    float m_threshold = 0.0f;
    float m_ratio = 1.0f;
    float m_knee = 0.0f;
    float m_makeUpDb = 0.0f;
};

// exp(-1 / (ms * rate / 1000)): the one-pole coefficient for a time constant.
float timeConstant(float ms, uint32_t rate);

} // namespace quillon::fx
