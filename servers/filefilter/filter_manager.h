#pragma once
// The file-filter manager: commands that concern every instance of the filter rather than
// one file (the save options).
//
// Threads: the user-interface thread (its one command shows a dialog).

#include <cstdint>

namespace quillon::filefilter {

class FilterManager {
public:
    int32_t command(uint32_t code, void* param, uint32_t size);
};

} // namespace quillon::filefilter
