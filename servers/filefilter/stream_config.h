#pragma once
// What a reader needs to know about the instance: the source and the output format.
// The instance replaces the whole object when anything changes, so readers compare one
// pointer per call to notice.

#include "source_file.h"

#include <cstdint>
#include <vector>

namespace quillon::filefilter {

struct StreamConfig {
    SourceInfo source;
    std::vector<int> positions; // speaker position per source channel
    uint64_t sourceGeneration = 0;
    int outRate = 0;
    int outChannels = 0;
    int64_t outLength = 0; // frames of the output format

    bool resamples() const { return outRate != source.rate; }
    // Output frames for `sourceFrames` frames of the source, rounded to the nearest frame
    // as the resampler delivers them.
    int64_t toOutput(int64_t sourceFrames) const;
    double toSource(double outputFrames) const;
};

} // namespace quillon::filefilter
