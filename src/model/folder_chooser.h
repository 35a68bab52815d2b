#pragma once
// How the model asks the user for a folder without knowing who answers: the desktop
// application opens its folder browser, a test answers from a list. Called on the
// user-interface thread.

#include <optional>
#include <string>

namespace quillon {

class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // The chosen folder, or nullopt on cancel. `prompt` is shown above the folder tree.
    virtual std::optional<std::string> chooseFolder(const std::string& prompt) = 0;
};

} // namespace quillon
