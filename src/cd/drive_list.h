#pragma once
// The drives a recorder or erase dialog offers, read from the library's drive table
// with every field bounded: names that fill their field without a terminator, speed
// counts beyond the table's room, and libraries too old to list drives.
//
// Threads: plain values.
#include "base/prompt_text.h"
#include <quillon/varda_api.h>
#include <string>
#include <vector>

namespace quillon {

struct DriveSpeed {
    int32_t multiple = 0;
    int32_t kilobytesPerSecond = 0;
};

struct OfferedDrive {
    const VardaDriveEntry* entry = nullptr;
    std::string name;
    std::string address;
    bool image = false;
    std::vector<DriveSpeed> speeds;
};

class DriveList {
public:
    static constexpr const char* kFixedSpeedText = "(fixed speed)";
    static constexpr const char* kNoRecordersText = "No compatible recorders were found on this system";

    // The drives that write CD-R and audio, in table order; none for a null table or a
    // library at or below the version that lists drives.
    static std::vector<OfferedDrive> offered(const VardaDriveTable* table, int32_t apiVersion);
    // "%dx (%d KB per second)" per speed, or the fixed-speed line.
    static std::vector<PromptText> speedLines(const OfferedDrive& drive);
};

} // namespace quillon
