#pragma once
// Turns a file filter's list of types ("description|patterns|" pairs, the form its
// command 114 fills in) into the filter string of Qt's file dialogs, optionally with
// the playlist entry, and always ending with all files. User-interface thread only.

#include <QString>

#include <string>

namespace quillon {

class FileDialogFilters {
public:
    static constexpr const char* kPlaylistEntry = "Playlist File (*.pls; *.m3u)|*.pls;*.m3u|";

    static QString fromList(const std::string& list, bool withPlaylists = false);
    // The list of the current plug-in host's file filter; empty when none can be made.
    static std::string currentList();
};

} // namespace quillon
