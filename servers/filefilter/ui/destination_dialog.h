#pragma once
// The save dialog of the export: a file name and one of the export formats.
//
// Threads: the user-interface thread only (choose() answers nothing elsewhere).

#include <QtGlobal>

#include <optional>
#include <string>

namespace quillon::filefilter {

class DestinationDialog {
public:
    static constexpr const char* kCaption = QT_TRANSLATE_NOOP("DestinationDialog", "Export to Audio File");

    // The chosen path, ending in the extension of its format: a name that already ends in
    // the extension of an export format keeps it, any other gets the selected format's.
    // Nothing when the user cancels or no dialog can be shown. `defaultFormat` indexes
    // the export formats (out of range: the first).
    static std::optional<std::string> choose(int defaultFormat, const std::string& folder);
};

} // namespace quillon::filefilter
