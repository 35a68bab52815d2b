#include "cli/mix_meter.h"

#include "base/level.h"
#include "engine/sample_block.h"

#include <cmath>
#include <cstdio>

namespace quillon {

bool MixMeter::acceptBlock(const SampleBlock& block)
{
    const float* samples = block.data();
    const size_t count = size_t(block.frameCount()) * block.channels();
    float peak = m_peak.load(std::memory_order_relaxed);
    int64_t clipped = 0;
    for (size_t i = 0; i < count; ++i) {
        const float magnitude = std::fabs(samples[i]);
        peak = magnitude > peak ? magnitude : peak;
        clipped += magnitude >= 1.0f ? 1 : 0;
    }
    m_peak.store(peak, std::memory_order_relaxed);
    m_clipped.fetch_add(clipped, std::memory_order_relaxed);
    return m_target ? m_target->acceptBlock(block) : true;
}

void MixMeter::finish()
{
    if (m_target)
        m_target->finish();
}

int64_t MixMeter::framesDone() const
{
    return m_target ? m_target->framesDone() : 0;
}

int64_t MixMeter::framesDelivered() const
{
    return m_target ? m_target->framesDelivered() : 0;
}

std::string MixMeter::decibelText(float level)
{
    if (!(level > 0.0f))
        return "-inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", level::gainToDb(level));
    return text;
}

} // namespace quillon
