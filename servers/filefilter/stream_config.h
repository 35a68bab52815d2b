#pragma once
// What a reader needs to know about the instance: the source, the stretch of it that the
// instance reads, the output format and the time scaling. The instance replaces the whole
// object when anything changes, so readers compare one pointer per call to notice.

#include "source_file.h"
#include "time_scale_map.h"

#include <cstdint>
#include <vector>

namespace quillon::filefilter {

struct StreamConfig {
    SourceInfo source; // the whole file
    std::vector<int> positions; // speaker position per source channel
    uint64_t sourceGeneration = 0;
    // The stretch of the source this instance reads, in source frames: all of it, unless
    // the instance is one piece of a split recording.
    int64_t rangeBegin = 0;
    int64_t rangeFrames = 0;
    int outRate = 0;
    int outChannels = 0;
    int64_t outLength = 0; // frames of the output format, before time scaling
    TimeScaleMap scale;    // over outLength frames; its output is what reads deliver

    bool resamples() const { return outRate != source.rate; }
    // Output frames for `sourceFrames` frames of the source, rounded to the nearest frame
    // as the resampler delivers them.
    int64_t toOutput(int64_t sourceFrames) const;
    double toSource(double outputFrames) const;
    // Frames that reads deliver: the output after time scaling.
    int64_t readLength() const { return scale.outputLength(); }
};

} // namespace quillon::filefilter
