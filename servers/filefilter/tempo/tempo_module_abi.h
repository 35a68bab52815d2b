#pragma once
// What the file filter and its tempo module share: one C entry point, looked up by name.

#include <cstddef>
#include <cstdint>

extern "C" {
// Reads `frames` interleaved float frames of the source from `position`; returns how
// many it wrote.
typedef size_t (*QuillonTempoRead)(void* context, int64_t position, float* dest, size_t frames);

// Beats per minute around `position` (see TempoDetector), 0 without a beat, negative when
// the measuring failed.
typedef float (*QuillonTempoDetect)(int channels, int sampleRate, QuillonTempoRead read, void* context,
                                    int64_t sourceLength, int64_t position);
}

#define QUILLON_TEMPO_DETECT_SYMBOL "quillonTempoDetect"
// The module's file in the file filter's helper folder.
#define QUILLON_TEMPO_MODULE_FILE "filefilter-tempo.so"
