#pragma once
// Maps the source's channels onto the output's: mono is duplicated, a wider source is
// folded down by speaker position with rows scaled so that no output can exceed full
// scale when every input is at full scale.

#include <cstddef>
#include <vector>

namespace quillon::filefilter {

class ChannelMixer {
public:
    // `positions` holds libsndfile channel-map values per input channel (0 = unknown).
    void configure(int inputs, int outputs, const std::vector<int>& positions = {});

    int inputs() const { return m_inputs; }
    int outputs() const { return m_outputs; }
    bool isIdentity() const { return m_kind == Kind::Identity; }
    float gain(int output, int input) const { return m_matrix[static_cast<size_t>(output * m_inputs + input)]; }

    // `in` holds frames x inputs samples, `out` frames x outputs; they must not overlap.
    void apply(const float* in, float* out, size_t frames) const;

private:
    enum class Kind { Identity, Duplicate, Matrix };

    int m_inputs = 0;
    int m_outputs = 0;
    Kind m_kind = Kind::Identity;
    std::vector<float> m_matrix; // outputs x inputs
};

} // namespace quillon::filefilter
