#pragma once
// The file types the filter writes, in the order in which they are offered to the user.
// The stored default export format (`DefExportFormat`) is an index into this list, so
// entries are only ever appended.

#include <span>
#include <string>
#include <string_view>

namespace quillon::filefilter {

enum class ExportType { Wav, Aiff, Flac, OggVorbis, Opus, Mp3 };

struct ExportFormat {
    ExportType type;
    const char* displayName; // doubles as a file-dialog filter ("Name (*.ext)")
    const char* extension;   // the extension given to new files, without the dot
    bool lossless;
};

std::span<const ExportFormat> exportFormats();

// The index of the format that a path's extension names (letter case ignored; the
// extensions a dialog might also produce, such as "aif", are accepted), or -1.
int exportFormatForPath(std::string_view path);

// The path with the format's extension appended unless it already names that format.
std::string pathWithExportExtension(std::string_view path, int formatIndex);

} // namespace quillon::filefilter
