#pragma once
// Measurements on generated signals read back through the filter, and the settings the
// filter reads, pointed at a folder of the test's own.

#include "base_qt/qsettings_store.h"
#include "plugins/class_com.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quillon::test {

// Interleaved frames with the same sine on every channel.
inline std::vector<float> sineFrames(double frequency, double amplitude, int rate, int channels, int64_t frames)
{
    std::vector<float> out(static_cast<size_t>(frames * channels));
    for (int64_t f = 0; f < frames; ++f) {
        const auto v = static_cast<float>(amplitude * std::sin(2.0 * M_PI * frequency * static_cast<double>(f) / rate));
        for (int c = 0; c < channels; ++c)
            out[static_cast<size_t>(f * channels + c)] = v;
    }
    return out;
}

// Frequency of a tone on channel 0 of [begin, end), from its interpolated rising zero
// crossings.
inline double measuredFrequency(const std::vector<float>& samples, int channels, int64_t begin, int64_t end, int rate)
{
    double first = -1, last = -1;
    int crossings = 0;
    for (int64_t f = begin + 1; f < end; ++f) {
        const double a = samples[static_cast<size_t>((f - 1) * channels)];
        const double b = samples[static_cast<size_t>(f * channels)];
        if (a < 0 && b >= 0) {
            const double at = static_cast<double>(f - 1) + a / (a - b);
            if (first < 0)
                first = at;
            last = at;
            ++crossings;
        }
    }
    return crossings > 1 ? (crossings - 1) * rate / (last - first) : 0.0;
}

// Root mean square of channel 0 over [begin, end).
inline double levelRms(const std::vector<float>& samples, int channels, int64_t begin, int64_t end)
{
    double sum = 0;
    for (int64_t f = begin; f < end; ++f) {
        const double v = samples[static_cast<size_t>(f * channels)];
        sum += v * v;
    }
    return end > begin ? std::sqrt(sum / static_cast<double>(end - begin)) : 0.0;
}

// The code of the ClassCom that `call` throws, 0 when it throws none.
inline int32_t classComCode(const std::function<void()>& call)
{
    try {
        call();
    } catch (const ClassCom& e) {
        return e.code();
    }
    return 0;
}

// The user's settings in a folder of the test's own, for as long as the object lives: the
// filter opens the same files.
class TestSettings {
public:
    TestSettings() : m_env("QUILLON_USER_CONFIG_DIR", m_dir.path().string()) {}

    void setInt(const char* section, const char* name, int32_t value)
    {
        QSettingsStore store(m_dir.path().string(), m_dir.path().string());
        ASSERT_TRUE(store.writeProfileInt(section, name, value));
    }
    void setString(const char* section, const char* name, const std::string& value)
    {
        QSettingsStore store(m_dir.path().string(), m_dir.path().string());
        ASSERT_TRUE(store.writeProfileString(section, name, value));
    }
    int32_t getInt(const char* section, const char* name, int32_t def) const
    {
        QSettingsStore store(m_dir.path().string(), m_dir.path().string());
        return store.profileInt(section, name, def);
    }

private:
    TempDir m_dir;
    ScopedEnv m_env;
};

} // namespace quillon::test
