#pragma once
// The real recorders, reached through libburn when it can be loaded.
#include "burn_device.h"
#include <quillon/varda_api.h>
#include <memory>
#include <string>
#include <vector>

namespace varda {

class LibburnDrives {
public:
    // The recorders found; none when libburn is missing.
    static std::vector<VardaDriveEntry> scan();
    // Null with the reason when the drive cannot be taken.
    static std::unique_ptr<BurnDevice> open(const std::string& address, std::string& error);
};

} // namespace varda
