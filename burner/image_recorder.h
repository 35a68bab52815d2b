#pragma once
// The drive that writes a disc image instead of a disc: name.bin (little-endian 16-bit
// stereo, every track padded to whole 2352-byte blocks), name.cue (pauses as INDEX 00,
// CD-TEXT as TITLE and PERFORMER) and name.toc (for tools that read a raw image as
// big-endian: SWAP, START and relative INDEX). All three are written under temporary
// names and renamed at the end, so a failed or cancelled image leaves any earlier one
// whole. It always holds a blank 80-minute CD-R and cannot erase.
#include "burn_device.h"
#include "disc_layout.h"
#include <string>

namespace varda {

class ImageRecorder : public BurnDevice {
public:
    static constexpr const char* kName = "Image Recorder";
    static constexpr const char* kAddress = "image:";

    bool burn(const DiscLayout& layout, uint32_t flags, int32_t speed, BurnCallbacks& callbacks,
              std::string& error) override;
    int32_t erasingTime(int32_t) override { return VARDA_ERASE_NOT_SUPPORTED; }
    bool erase(int32_t, std::string& error) override;
    int64_t capacityBlocks() override { return kCdr80Blocks; }

    // The image's three files for a path the user chose: "x.cue" or "x" give x.bin,
    // x.cue and x.toc.
    static std::string basePath(const std::string& chosen);
    static std::string cueText(const DiscLayout& layout, const std::string& binName);
    static std::string tocText(const DiscLayout& layout, const std::string& binName);
    // Copies the track files' audio into `out` (or only reads it when `out` is null).
    static bool writeBin(const DiscLayout& layout, FILE* out, BurnCallbacks& callbacks, std::string& error);
};

} // namespace varda
