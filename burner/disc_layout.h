#pragma once
// Where everything of a disc lies, in blocks of 2352 bytes (1/75 s), counted from the
// first block of the first track's file data (LSN 0 of a disc image): the same numbers
// for the disc, the CUE sheet and the TOC file.
//
// The first track's pause is silence before its audio; its first 150 blocks are the
// disc's lead-in pregap, which no image stores, and anything longer is written as
// zeros. Any other track's pause is the end of the previous track's audio: it becomes
// this track's index 0 and is not added again.
#include "wave_source.h"
#include <quillon/varda_api.h>
#include <cstdint>
#include <string>
#include <vector>

namespace varda {

inline constexpr int64_t kBlockBytes = 2352;
inline constexpr int64_t kFirstPregap = 150;
inline constexpr int64_t kMinTrackBlocks = 300;
inline constexpr int64_t kCdr80Blocks = 360000;

struct LayoutTrack {
    std::string title;  // ISO-8859-1
    std::string artist; // ISO-8859-1
    std::string isrc;   // 12 characters, or empty
    WaveSource source;
    int64_t fileBlocks = 0;       // the file's data rounded up to whole blocks
    int64_t index0 = 0;           // where the pregap starts (== start without one)
    int64_t start = 0;            // index 1: where the file's data starts
    std::vector<int64_t> indexes; // index 2, 3, ...
    int64_t end = 0;              // the next track's index 0, or the lead-out
};

struct DiscLayout {
    std::string title;  // ISO-8859-1
    std::string artist; // ISO-8859-1
    std::string catalog; // 13 digits, or empty
    int64_t leadingSilence = 0; // zero blocks before the first track's data
    std::vector<LayoutTrack> tracks;
    int64_t leadout = 0;
    bool hasText() const;
    // Blocks the whole disc takes, the first pregap included.
    int64_t totalBlocks() const { return leadout + kFirstPregap; }
};

// Reads the disc record and the track files' headers. Empty on success, else why the
// disc cannot be written.
std::string buildLayout(const VardaDisc& disc, DiscLayout& out);

// A code of a fixed field: the text up to its NUL (or the field's end).
std::string fixedField(const char* field, size_t size);
bool isIsrc(const std::string& text);
bool isCatalogNumber(const std::string& text);

// "mm:ss:ff" of a block count.
std::string msf(int64_t blocks);

} // namespace varda
