#pragma once
// What libcdio reads from a CUE sheet, apart from the tests that use libcue (the two
// libraries' headers cannot meet in one file).
#include <string>
#include <vector>

namespace quillon::test {

// Each track's ISRC (empty when it has none); empty when the sheet does not open.
std::vector<std::string> cdioTrackIsrcs(const std::string& cuePath);

} // namespace quillon::test
