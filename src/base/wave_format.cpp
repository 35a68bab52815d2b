#include "base/wave_format.h"

#include <cstring>

namespace quillon {

WAVEFORMATEX makePcmFormat(uint32_t rate, uint16_t channels, uint16_t bits)
{
    WAVEFORMATEX f{};
    f.wFormatTag = QUILLON_WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.nBlockAlign = static_cast<uint16_t>(channels * ((bits + 7) / 8));
    f.wBitsPerSample = bits;
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    f.cbSize = 0;
    return f;
}

WAVEFORMATEX floatCopy(const WAVEFORMATEX& format)
{
    WAVEFORMATEX f = format;
    f.nBlockAlign = static_cast<uint16_t>(f.nChannels * 4);
    f.wBitsPerSample = 32;
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    return f;
}

bool operator==(const WAVEFORMATEX& a, const WAVEFORMATEX& b)
{
    return std::memcmp(&a, &b, sizeof(WAVEFORMATEX)) == 0;
}

} // namespace quillon
