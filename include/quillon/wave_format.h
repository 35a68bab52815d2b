/* Audio format record shared by the program, its plug-in servers and the burner.
 * The layout is the 18-byte little-endian record stored in project files. */
#ifndef QUILLON_WAVE_FORMAT_H
#define QUILLON_WAVE_FORMAT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define QUILLON_WAVE_FORMAT_PCM 1
#define QUILLON_WAVE_FORMAT_IEEE_FLOAT 3

#pragma pack(push, 2)
typedef struct WAVEFORMATEX {
    uint16_t wFormatTag;
    uint16_t nChannels;
    uint32_t nSamplesPerSec;
    uint32_t nAvgBytesPerSec;
    uint16_t nBlockAlign;
    uint16_t wBitsPerSample;
    uint16_t cbSize;
} WAVEFORMATEX;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX must be 18 bytes");
}
#else
_Static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX must be 18 bytes");
#endif

#endif
