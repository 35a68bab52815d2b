#include "libburn_drives.h"

namespace varda {

std::vector<VardaDriveEntry> LibburnDrives::scan() { return {}; }

std::unique_ptr<BurnDevice> LibburnDrives::open(const std::string& address, std::string& error)
{
    error = "The drive " + address + " cannot be opened.";
    return nullptr;
}

} // namespace varda
