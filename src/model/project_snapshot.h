#pragma once
// An undo step: the project as its file holds it, and beside it what the file leaves
// out but an undo must bring back as it was: the labels' pauses and the tracks'
// active flags.
//
// Threads: the user-interface thread only (it belongs to the document's undo lists).

#include "base/memory_stream.h"

#include <cstdint>
#include <vector>

namespace quillon {

class ProjectSnapshot : public MemoryStream {
public:
    std::vector<int32_t> labelPauses; // every label, in list order
    std::vector<uint8_t> trackActive; // every track, top to bottom
};

} // namespace quillon
