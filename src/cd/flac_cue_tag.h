#pragma once
// The CUE sheet a FLAC file carries in its Vorbis comment CUESHEET, as players of
// single-file releases read it.
#include <optional>
#include <string>

namespace quillon {

class FlacCueTag {
public:
    static constexpr const char* kField = "CUESHEET";
    // Replaces the file's CUESHEET comment; false with the reason.
    static bool write(const std::string& flacPath, const std::string& sheet, std::string& error);
    // The sheet, or nothing when the file has none or is no FLAC file.
    static std::optional<std::string> read(const std::string& flacPath);
};

} // namespace quillon
