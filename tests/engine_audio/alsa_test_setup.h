#pragma once
// The sound card of the audio tests: ALSA's default device is the `file` plug-in over a
// paced null device, so playback lands in a raw file and capture reads one, at the real
// rate of the stream. A global test environment points ALSA_CONFIG_PATH at a generated
// configuration before any test starts PortAudio; tests rewrite it to change files or to
// make the device fail, and ALSA reads it again at the next open.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quillon::test {

struct AlsaDeviceOptions {
    std::string outFile;       // what is played lands here (also what is captured)
    std::string inFile;        // what is captured comes from here
    long long failAfter = -1;  // frames the device moves before it fails; -1 never
    bool failWithError = false; // fail with an I/O error instead of hanging
    std::string mixerState;    // the test mixer's control file; empty: no mixer
    bool unavailable = false;  // the device cannot be opened at all
};

class AlsaTestSetup {
public:
    // Makes the folder and points ALSA at it; the test programs' global environment
    // does this before the first test, other programs (benchmarks) call it themselves.
    static void install();
    static void uninstall();
    // This process's folder for configurations, device files and takes.
    static const std::filesystem::path& folder();
    // A fresh file name in that folder.
    static std::string file(const std::string& stem);
    static void configure(const AlsaDeviceOptions& options);
    // Out and in files of their own (the in file empty), no failure, no mixer.
    static AlsaDeviceOptions defaults();
};

std::vector<uint8_t> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace quillon::test
