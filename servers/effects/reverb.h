#pragma once
// Algorithmic reverb: per channel eight parallel feedback combs with a low-pass in
// their loops (the damping) followed by four series allpasses; the right network's
// lines are a little longer so that the two sides decorrelate. Both networks are fed
// the mono sum, after an optional pre-delay. The menu offers three variants (room,
// hall, plate) chosen with command 120 by their bracket number.

#include "effect.h"

#include <vector>

namespace quillon::fx {

class Reverb : public Effect {
public:
    enum Parameter : uint32_t { RoomSize, Damping, Width, PreDelay, WetLevel, DryLevel, ParameterCount };
    enum Variant : int32_t { Room = 1, Hall = 2, Plate = 3 };

    static constexpr float kMaxPreDelayMs = 200.0f;

    Reverb();
    static const EffectSpec& descriptor();

protected:
    void prepare() override;
    void process(float* data, uint32_t frames) override;
    void update() override;
    void selectVariant(int32_t variant) override;

private:
    static constexpr uint32_t kCombs = 8;
    static constexpr uint32_t kAllpasses = 4;

    struct Line {
        std::vector<float> buffer;
        uint32_t pos = 0;
        float store = 0.0f; // comb damping state
    };
    struct Network {
        Line combs[kCombs];
        Line allpasses[kAllpasses];
    };

    float runNetwork(Network& net, float input);

    Network m_networks[kMaxChannels];
    std::vector<float> m_preDelay;
    uint32_t m_preDelayPos = 0;
    uint32_t m_preDelayFrames = 0;
    float m_feedback = 0.0f;
    float m_damp = 0.0f;
    float m_wetSame = 0.0f;
    float m_wetCross = 0.0f;
    float m_dry = 1.0f;
};

} // namespace quillon::fx
