#pragma once
// Helpers around the shared audio format record.

#include <quillon/wave_format.h>

#include <cstdint>

namespace quillon {

// A complete PCM format (tag, block alignment and byte rate derived).
WAVEFORMATEX makePcmFormat(uint32_t rate, uint16_t channels, uint16_t bits);

// The copy that tracks, clips and crossfades keep: tag, channels, rate and extra size
// kept, samples forced to 32-bit float.
WAVEFORMATEX floatCopy(const WAVEFORMATEX& format);

bool operator==(const WAVEFORMATEX& a, const WAVEFORMATEX& b);

} // namespace quillon
