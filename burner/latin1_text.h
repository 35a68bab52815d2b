#pragma once
// CD-TEXT is stored as ISO-8859-1; the records hand the library UTF-8.
#include <string>
#include <string_view>

namespace varda {

// Each character ISO-8859-1 cannot hold (and each broken UTF-8 sequence) becomes '?'.
std::string toLatin1(std::string_view utf8);

} // namespace varda
