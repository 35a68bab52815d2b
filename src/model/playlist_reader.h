#pragma once
// Reads the playlists that Insert Audio File(s) expands: ".m3u" and ".m3u8" (every line
// without a "#" is an entry) and ".pls" (every line beginning with "file" in any case;
// the entry is the text after its last "="). Extensions compare without regard to case.
// Lines are trimmed of white space at both ends, including the carriage return of
// playlists written with CR LF line ends; empty lines name nothing.
//
// Entries are made usable as they stand: a relative path is taken relative to the
// playlist's own folder, and a "file:" URL as the local file it names.
//
// Threads: stateless; any thread.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class PlaylistReader {
public:
    enum class Kind { None, M3u, Pls };

    // By the file's extension.
    static Kind kindOf(const std::string& path);
    static bool isPlaylist(const std::string& path) { return kindOf(path) != Kind::None; }

    // The entries of a playlist file, resolved against its folder; none when the file
    // cannot be read or is no playlist.
    static std::optional<std::vector<std::string>> read(const std::string& path);
    // The entries of playlist text as written, before resolving.
    static std::vector<std::string> parse(std::string_view text, Kind kind);
    // A relative entry joined to `folder`; a file URL turned into its path.
    static std::string resolve(const std::string& entry, const std::string& folder);
    // The chosen files with every playlist replaced by its entries, in order. A
    // playlist that cannot be read contributes nothing.
    static std::vector<std::string> expand(const std::vector<std::string>& files);
};

} // namespace quillon
