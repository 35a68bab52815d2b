#pragma once
// Noise reduction for transfers of records and tapes: a derumble high-pass and a
// spectral denoiser.
// - Derumble (parameter 1, 0..1): a Butterworth high-pass from 20 Hz at the lowest
//   setting to 40 Hz at the highest, of order 2, 4 or 6 as the level rises.
// - Denoise (parameter 0, 0..1): short-time spectra (2048 points, 75 % overlap) whose
//   bins are lowered where they hold little more than the noise. The noise profile is
//   learned as the music plays: per bin, the lowest smoothed power over the last
//   second and a half, which the quiet passages set. The level sets how hard the noise
//   is subtracted and how far a bin may fall (18 dB at the top).
// - Dehum (parameter 2, 0..1): mains hum at 50 or 60 Hz, whichever is found, and its
//   harmonics are notched out; the level sets how deep.
// The output lags the input by one spectrum (2048 frames), which the effect reports.
// Everything is allocated when the format is set; processing allocates nothing.

#include "biquad.h"
#include "effect.h"
#include "hum_remover.h"

#include <memory>
#include <vector>

namespace quillon::fx {

class NoiseReduction : public Effect {
public:
    enum Parameter : uint32_t { Denoise, Derumble, Dehum, ParameterCount };
    static constexpr uint32_t kFrame = 2048;
    static constexpr uint32_t kHop = kFrame / 4;

    NoiseReduction();
    ~NoiseReduction() override;
    static const EffectSpec& descriptor();

protected:
    void prepare() override;
    void process(float* data, uint32_t frames) override;
    void update() override;
    uint32_t latency() const override { return kFrame; }

private:
    struct Spectra; // FFT plans and buffers
    void processFrame(uint32_t channel);

    std::unique_ptr<Spectra> m_fft;
    // Per channel: the last kFrame inputs, the overlap-add sum, the hop ready to go out.
    std::vector<float> m_input[kMaxChannels];
    std::vector<float> m_sum[kMaxChannels];
    std::vector<float> m_ready[kMaxChannels];
    // Per channel and bin: smoothed power, minima of the sub-windows, gains.
    std::vector<float> m_smoothed[kMaxChannels];
    std::vector<float> m_minima[kMaxChannels];
    std::vector<float> m_gain[kMaxChannels];
    std::vector<float> m_window;
    uint32_t m_fill = 0;       // inputs of the current hop
    uint32_t m_frameCount = 0; // spectra seen, for the minimum windows
    Biquad m_highPass[kMaxChannels][3];
    uint32_t m_sections = 0;
    HumRemover m_hum;
    float m_denoise = 0.0f;
};

} // namespace quillon::fx
