#pragma once
// Text taken from a file or the system (paths, names, titles) on its way to a terminal.
// A damaged project can hold any bytes; written as they stand, control characters move
// the cursor, recolour or clear the terminal, and invalid UTF-8 garbles the line.

#include <string>
#include <string_view>

namespace quillon {

// The text with every control character (C0, DEL, C1) and every byte that is not part of
// a well-formed UTF-8 sequence written as "\xNN"; everything else unchanged.
std::string displayText(std::string_view text);

} // namespace quillon
