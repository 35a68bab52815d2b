#include "stream_config.h"

namespace quillon::filefilter {

int64_t StreamConfig::toOutput(int64_t sourceFrames) const
{
    if (!resamples())
        return sourceFrames;
    const int64_t in = source.rate;
    return (sourceFrames * outRate + in / 2) / in;
}

double StreamConfig::toSource(double outputFrames) const
{
    return resamples() ? outputFrames * source.rate / outRate : outputFrames;
}

} // namespace quillon::filefilter
