// The tempo module's entry: the file filter loads this module only when a tempo is to be
// measured, which keeps aubio and the many libraries it brings out of every other use.

#include "tempo_detector.h"
#include "tempo_module_abi.h"

extern "C" __attribute__((visibility("default"))) float quillonTempoDetect(int channels, int sampleRate,
                                                                           QuillonTempoRead read, void* context,
                                                                           int64_t sourceLength, int64_t position)
{
    try {
        const quillon::filefilter::TempoDetector detector(channels, sampleRate);
        return detector.detect(
            [read, context](int64_t at, float* dest, size_t frames) { return read(context, at, dest, frames); },
            sourceLength, position);
    } catch (...) {
        return -1.0f; // nothing may leave a C entry point
    }
}
