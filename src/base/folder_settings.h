#pragma once
// The folders the program works in, looked up and stored by a small kind number in a
// key shared with the wave editor.

#include "base/settings_store.h"

#include <string>

namespace quillon {

enum FolderKind : int {
    kFolderPresets = 1,
    kFolderPlugin = 2,
    kFolderPeakFiles = 3,
    kFolderTemporary = 4,
    kFolderMyMusic = 5,
    kFolderDsp = 6,
    kFolderPluginManager = 7,
    kFolderAudioPlugin = 8,
};

class FolderSettings {
public:
    static constexpr const char* kMissing = "$$$";

    explicit FolderSettings(SettingsStore& store) : m_store(store) {}

    // True with the stored folder; false with "$$$" in `folder` when nothing is
    // stored. Kinds 3 to 5 never fail: they fall back to their defaults.
    bool lookup(int kind, std::string& folder) const;
    // Writes kinds 1, 2 and 6 into the machine key and 3, 4 and 5 into the user key;
    // other kinds are not stored (false).
    bool store(int kind, const std::string& folder);

    // $TMPDIR, or /tmp.
    static std::string systemTempFolder();
    // The user's music folder from the XDG user directories (created when missing);
    // the temporary folder when there is no home folder.
    static std::string musicFolder();

private:
    SettingsStore& m_store;
};

} // namespace quillon
