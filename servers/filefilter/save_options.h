#pragma once
// How the file filter encodes the files it writes. The options dialog of the file-filter
// manager edits them; they live in the user's settings so that every later write, in any
// instance, uses them.

#include <cstdint>

namespace quillon {
class SettingsStore;
}

namespace quillon::filefilter {

// Sample type of WAV and AIFF exports. FromFormat follows the destination format that
// the caller hands over (the project's resolution).
enum class WavSampleType : int32_t { FromFormat = 0, Pcm16 = 1, Pcm24 = 2, Pcm32 = 3, Float32 = 4 };

struct SaveOptions {
    int32_t flacCompressionLevel = 5; // 0 (fastest) .. 8 (smallest)
    float vorbisQuality = 0.5f;       // 0 .. 1, higher sounds better
    float opusQuality = 0.5f;         // 0 .. 1, higher sounds better
    int32_t mp3BitRate = 192;         // kbit/s, constant bit rate
    WavSampleType wavSampleType = WavSampleType::FromFormat;

    // Every field brought into its valid range; the bit rate snaps to the nearest rate
    // that MPEG-1 layer III offers, so that what is stored is what gets written.
    SaveOptions clamped() const;

    bool operator==(const SaveOptions&) const = default;
};

// The MPEG-1 layer III bit rates in kbit/s, ascending.
inline constexpr int32_t kMp3BitRates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};

// Settings section and value names (qualities are stored as whole percent).
inline constexpr const char* kSaveOptionsSection = "SaveOptions";

SaveOptions readSaveOptions(const SettingsStore& store);
bool writeSaveOptions(SettingsStore& store, const SaveOptions& options);

} // namespace quillon::filefilter
