#pragma once
// Level and left/right balance, with polarity inversion and a fold-down to mono.
// Gain changes glide over one block so that moving a control does not click.

#include "effect.h"

namespace quillon::fx {

class GainBalance : public Effect {
public:
    enum Parameter : uint32_t { Gain, Balance, Invert, Mono, ParameterCount };

    GainBalance();
    static const EffectSpec& descriptor();

protected:
    void prepare() override;
    void process(float* data, uint32_t frames) override;
    void update() override;

private:
    float m_target[kMaxChannels] = {1.0f, 1.0f};
    float m_current[kMaxChannels] = {1.0f, 1.0f};
    bool m_mono = false;
};

} // namespace quillon::fx
