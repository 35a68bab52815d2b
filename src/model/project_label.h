#pragma once
// A marker of the project: a CD track split, a CD index or a free label, and the
// conversions the label properties dialogs use between positions or pauses and their
// minutes / seconds / milliseconds fields.

#include <cstdint>
#include <string>
#include <utility>

namespace quillon {

class ProjectLabel {
public:
    enum Kind : int32_t { kTrackSplit = 0, kIndex = 1, kFreeLabel = 2 };

    ProjectLabel() = default;
    ProjectLabel(int32_t kind, int32_t position, std::string title = {}, std::string artist = {}, int32_t pause = 0)
        : title(std::move(title)), artist(std::move(artist)), kind(kind), position(position), pause(pause)
    {
    }
    ProjectLabel(const ProjectLabel&) = default;
    ProjectLabel& operator=(const ProjectLabel&) = default;
    virtual ~ProjectLabel() = default;

    std::string title;  // CD-TEXT title of a split, the text of a free label
    std::string artist; // CD-TEXT artist of a split
    int32_t kind = kTrackSplit;
    int32_t position = 0; // sample position
    int32_t pause = 0;    // samples of pause before a CD track (splits only)
    std::string isrc;     // the CD track's ISRC in its plain 12-character form, or empty

private:
    friend class CLabelList;
    // When a list placed the label (larger: later), which orders labels at one position.
    // Never copied: a copy is a new label until a list places it.
    struct ListOrder {
        uint64_t value = 0;
        ListOrder() = default;
        ListOrder(const ListOrder&) {}
        ListOrder& operator=(const ListOrder&) { return *this; }
    } m_listOrder;
};

struct LabelPositionFields {
    int32_t minutes = 0;      // whole minutes, not wrapped at 60
    int32_t seconds = 0;      // 0..59
    int32_t milliseconds = 0; // 0..999
};

struct LabelPauseFields {
    int32_t seconds = 0;      // whole seconds
    int32_t milliseconds = 0; // 0..999
};

// `rate` is the project sample rate. Every conversion runs through 64-bit
// intermediates (position * 1000 leaves 32 bits after 48 seconds at 44100 Hz); a rate
// of 0 or less gives zero fields and a zero position. Results are clamped to the
// sample-position range. Sub-millisecond parts are not recovered on the way back.
LabelPositionFields labelPositionFields(int32_t position, int32_t rate);
int32_t labelPositionFromFields(const LabelPositionFields& fields, int32_t rate);
LabelPauseFields labelPauseFields(int32_t pause, int32_t rate);
int32_t labelPauseFromFields(const LabelPauseFields& fields, int32_t rate);

} // namespace quillon
