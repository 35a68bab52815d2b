#pragma once
// One opened drive of the library: a real recorder or the image recorder.
#include "disc_layout.h"
#include <cstdint>
#include <string>

namespace varda {

class BurnCallbacks;

class BurnDevice {
public:
    virtual ~BurnDevice() = default;
    // Writes the disc; false with the reason in `error` (cancelled included).
    virtual bool burn(const DiscLayout& layout, uint32_t flags, int32_t speed, BurnCallbacks& callbacks,
                      std::string& error) = 0;
    // Expected seconds, or a negative VARDA_ERASE_* reason.
    virtual int32_t erasingTime(int32_t method) = 0;
    virtual bool erase(int32_t method, std::string& error) = 0;
    // Blocks the medium in the drive holds.
    virtual int64_t capacityBlocks() = 0;
};

} // namespace varda
