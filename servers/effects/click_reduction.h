#pragma once
// Click and crackle removal for transfers of records.
// - Declick (parameter 0, 0..1): impulses are found where the signal leaves what a
//   linear predictor (order 24, fitted to the surrounding 58 ms) expects, both looking
//   forward and backward, by more than a multiple of the predictor's robust error scale;
//   the higher the level, the smaller the multiple. Each marked run of samples is
//   replaced by the least-squares autoregressive interpolation from both sides. Runs
//   longer than about 2.5 ms are music (onsets), not clicks, and are left alone.
// - Decrackle (parameter 1, 0..1): a second pass with a lower multiple over short runs
//   only, after the clicks are gone, for the dense small ticks of a worn record.
// The output lags the input by 1536 frames (a block of 1024 and 512 frames of look
// ahead), which the effect reports. Everything is allocated when the format is set;
// processing allocates nothing.

#include "effect.h"

#include <vector>

namespace quillon::fx {

class ClickReduction : public Effect {
public:
    enum Parameter : uint32_t { Declick, Decrackle, ParameterCount };
    static constexpr uint32_t kOrder = 24;
    static constexpr uint32_t kPast = 1024;
    static constexpr uint32_t kHop = 1024;
    static constexpr uint32_t kAhead = 512;
    static constexpr uint32_t kWindow = kPast + kHop + kAhead;
    static constexpr uint32_t kMaxGap = 160;

    ClickReduction();
    static const EffectSpec& descriptor();

protected:
    void prepare() override;
    void process(float* data, uint32_t frames) override;
    void update() override;
    uint32_t latency() const override { return kHop + kAhead; }

private:
    void processHop(uint32_t channel);
    // Fits the predictor to the window; false when the window is (nearly) silent.
    bool fitPredictor(const float* x);
    // Forward and backward prediction errors and the smaller of the two, over the window.
    void computeErrors(const float* x);
    // Marks and repairs runs whose error exceeds `multiple` times the error scale,
    // starting in the current block and no longer than `longest`; marks closer than
    // `bridge` join, and a run grows by steps of `extend` while that pays. Returns the
    // number of runs repaired.
    uint32_t repairRuns(float* x, double scale, double multiple, uint32_t longest, uint32_t bridge, uint32_t extend);
    // The least-squares interpolation of x[start, start + length) from the predictor,
    // left in m_rhs; x must hold kOrder samples on both sides. Returns the prediction
    // error energy left over the gap and the order after it, negative when unsolvable.
    double interpolate(const float* x, uint32_t start, uint32_t length);
    double robustScale();

    std::vector<float> m_buffer[kMaxChannels];
    std::vector<float> m_ready[kMaxChannels];
    uint32_t m_fill = 0;

    std::vector<double> m_taper;    // analysis window
    std::vector<double> m_forward;  // prediction errors
    std::vector<double> m_backward;
    std::vector<double> m_detect;   // the smaller of the two
    std::vector<double> m_scratch;  // for the median
    double m_coef[kOrder + 1] = {};  // a[0] = 1
    double m_coefCorr[kOrder + 1] = {}; // autocorrelation of the coefficients
    std::vector<double> m_known;     // error of the known samples around a gap
    std::vector<double> m_matrix;    // kMaxGap x kMaxGap
    std::vector<double> m_rhs;

    double m_level = 0.0; // RMS of the window
    float m_declick = 0.0f;
    float m_decrackle = 0.0f;
    uint32_t m_longestClick = 0;
    uint32_t m_longestCrackle = 0;
};

} // namespace quillon::fx
