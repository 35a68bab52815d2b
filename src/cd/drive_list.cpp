#include "drive_list.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace quillon {

namespace {

std::string boundedText(const char* field, size_t size)
{
    const void* end = std::memchr(field, 0, size);
    return std::string(field, end ? static_cast<const char*>(end) - field : size);
}

} // namespace

std::vector<OfferedDrive> DriveList::offered(const VardaDriveTable* table, int32_t apiVersion)
{
    std::vector<OfferedDrive> drives;
    if (!table || apiVersion <= VARDA_API_VERSION_MIN_DRIVES)
        return drives;
    for (int32_t i = 0; i < table->count; ++i) {
        const VardaDriveEntry& e = table->entries[i];
        if ((e.capabilities & (VARDA_CAP_WRITE_CDR | VARDA_CAP_AUDIO)) != (VARDA_CAP_WRITE_CDR | VARDA_CAP_AUDIO))
            continue;
        OfferedDrive d;
        d.entry = &e;
        d.name = boundedText(e.name, sizeof e.name);
        d.address = boundedText(e.address, sizeof e.address);
        d.image = (e.capabilities & VARDA_CAP_IMAGE) != 0;
        const int32_t count = std::clamp(e.speedCount, 0, int32_t(VARDA_MAX_SPEEDS));
        for (int32_t s = 0; s < count; ++s)
            d.speeds.push_back({e.speedMultiples[s], e.speedsKBps[s]});
        drives.push_back(std::move(d));
    }
    return drives;
}

std::vector<PromptText> DriveList::speedLines(const OfferedDrive& drive)
{
    std::vector<PromptText> lines;
    for (const DriveSpeed& s : drive.speeds)
        lines.push_back(PromptText("%1x (%2 KB per second)").arg(s.multiple).arg(s.kilobytesPerSecond));
    if (lines.empty())
        lines.push_back(PromptText(kFixedSpeedText));
    return lines;
}

} // namespace quillon
