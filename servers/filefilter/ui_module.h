#pragma once
// The file filter's dialogs, shown through the dialog helper module (see helper_module.h).
// Call only when canShowDialogs() is true.

#include "save_options.h"

#include <optional>
#include <string>

namespace quillon::filefilter {

class UiModule {
public:
    // False when the dialog module cannot be loaded.
    static bool available();
    // The chosen export path; nothing when cancelled (see DestinationDialog).
    static std::optional<std::string> chooseDestination(int defaultFormat, const std::string& folder);
    // True with the accepted options in `options`; false when cancelled.
    static bool editSaveOptions(SaveOptions& options);
};

} // namespace quillon::filefilter
