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

    // True with the stored folder (used as the user set it); false with "$$$" in
    // `folder` when nothing is stored. Kinds 3 to 5 never fail: they fall back to
    // their defaults, which are private to the user.
    bool lookup(int kind, std::string& folder) const;
    // Writes kinds 1, 2 and 6 into the machine key and 3, 4 and 5 into the user key;
    // other kinds are not stored (false).
    bool store(int kind, const std::string& folder);

    // The folder named after the program inside the user's own folders.
    static constexpr const char* kProgramFolder = "varda-quillon";

    // $TMPDIR, or /tmp: shared by every user, so never a default of ours.
    static std::string systemTempFolder();
    // The default of the Temporary folder: "varda-quillon" in $XDG_RUNTIME_DIR, else
    // "varda-quillon/tmp" in the user's cache folder; created with mode 0700, and used
    // only when it is a real folder of this user. Failing both, a fresh private folder
    // in the system temporary folder.
    static std::string privateTempFolder();
    // The default of the peak-file folder: "varda-quillon/peaks" in the user's cache
    // folder ($XDG_CACHE_HOME, else ~/.cache), mode 0700; the private temporary folder
    // when there is no cache folder.
    static std::string peakFileFolder();
    // "varda-quillon" in the user's cache folder; empty without $XDG_CACHE_HOME and $HOME.
    static std::string userCacheFolder();
    // The user's music folder from the XDG user directories (created when missing);
    // the temporary folder when there is no home folder.
    static std::string musicFolder();

private:
    SettingsStore& m_store;
};

} // namespace quillon
