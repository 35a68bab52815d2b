#pragma once
// The file-dialog filter list of the formats this filter reads: pairs of a description and
// patterns, each followed by a vertical bar, "All audio files" first. Formats the installed
// libsndfile cannot read are left out.

#include <string>

namespace quillon::filefilter {

std::string filterList();

} // namespace quillon::filefilter
