#pragma once
// Where the timeline's lanes lie: below the 65-pixel top strip, from the first visible
// track down, each as tall as its track's height; and how the heights are fitted to the
// area when the view scales them.
//
// Threads: the user-interface thread.

#include <cstdint>

namespace quillon {

class CMultitrackerDoc;

class LaneGeometry {
public:
    // The lanes start below the top strip.
    static constexpr int32_t kLaneTop = 65;

    // The track whose lane holds pixel row y; -1 outside every lane.
    static int32_t trackAtY(const CMultitrackerDoc& doc, int32_t y);
    // The top row of a track's lane (above kLaneTop for tracks scrolled out above).
    static int32_t topOfTrack(const CMultitrackerDoc& doc, int32_t index);
    // Shares `height` pixels among the tracks when the document scales lane heights
    // and each gets more than 64; otherwise every lane is the default height.
    static void fitTrackHeights(CMultitrackerDoc& doc, int32_t height);
};

} // namespace quillon
