#include "ui/lane_geometry.h"

#include "model/multitracker_doc.h"
#include "model/track.h"

#include <algorithm>

namespace quillon {

int32_t LaneGeometry::trackAtY(const CMultitrackerDoc& doc, int32_t y)
{
    int32_t top = kLaneTop;
    for (int32_t i = std::max(0, doc.firstVisibleTrack()); i < doc.trackCount(); ++i) {
        const int32_t h = doc.trackAt(i)->height();
        if (y >= top && y < top + h)
            return i;
        top += h;
    }
    return -1;
}

int32_t LaneGeometry::topOfTrack(const CMultitrackerDoc& doc, int32_t index)
{
    const int32_t count = doc.trackCount();
    const int32_t first = doc.firstVisibleTrack();
    int32_t top = kLaneTop;
    for (int32_t i = first; i < index && i < count; ++i)
        top += doc.trackAt(i)->height();
    // Tracks scrolled out above lie above the lanes.
    for (int32_t i = std::max(index, 0); i < first && i < count; ++i)
        top -= doc.trackAt(i)->height();
    return top;
}

void LaneGeometry::fitTrackHeights(CMultitrackerDoc& doc, int32_t height)
{
    const int32_t count = std::max<int32_t>(1, doc.trackCount());
    const int32_t each = height / count;
    const int32_t h = (!doc.scaleTrackHeights() || each <= 64) ? CTrack::kDefaultHeight : each;
    for (int32_t i = 0; i < doc.trackCount(); ++i)
        doc.trackAt(i)->setHeight(h);
}

} // namespace quillon
