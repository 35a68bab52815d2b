#pragma once
// A CUE sheet as this program reads and writes it: the disc's CD-TEXT and catalogue
// number, and per track its file, CD-TEXT, ISRC and index positions in CD frames
// (1/75 s) from the start of the track's file. Parsing goes through libcue; the text
// written is UTF-8 with one statement per line.
//
// Threads: a plain value.
#include "base/prompt_text.h"
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

struct CueTrack {
    std::string file;
    std::string title;
    std::string performer;
    std::string isrc;
    int64_t index0 = -1;           // the pause's start, or -1 without one
    int64_t index1 = 0;            // where the track starts
    std::vector<int64_t> indexes;  // index 2, 3, ...
};

class CueSheet {
public:
    std::string title;
    std::string performer;
    std::string catalog;
    std::vector<CueTrack> tracks;

    // Empty `error` on success.
    static std::optional<CueSheet> parse(const std::string& text, PromptText& error);
    // Refused (empty, with the reason) when a text holds a quotation mark or a line end,
    // which a sheet cannot quote.
    std::string text(PromptText& error) const;
    // "mm:ss:ff".
    static std::string msf(int64_t frames);
};

} // namespace quillon
