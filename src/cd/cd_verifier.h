#pragma once
// Reads a written disc back (a drive through libcdio, or a disc image through its CUE
// sheet) and compares each CD track's audio with the file it was burned from: track n's
// file lies on the disc from the track's index 1 on, block after block. The first block
// that differs is reported; an image is checked the same way before it counts as
// written.
//
// Threads: the caller's thread; it reads the whole disc.
#include "base/prompt_text.h"
#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

struct CdVerifyResult {
    bool ok = false;
    int track = 0;      // the track that differs (counted from 1), 0 when none
    int64_t block = -1; // its first differing block (LSN), -1 when none
    PromptText message; // empty when ok
};

class CdVerifier {
public:
    // `source` is a CUE sheet path, or a drive's device path when `drive` is set;
    // `trackFiles` the 16-bit stereo WAV files in track order.
    static CdVerifyResult verify(const std::string& source, bool drive, const std::vector<std::string>& trackFiles);
    // The sheet the Image Recorder writes for the path it was given.
    static std::string imageSheet(const std::string& chosenPath);
};

} // namespace quillon
