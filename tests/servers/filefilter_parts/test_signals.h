#pragma once
// Generated test audio and the measurements the file-filter part tests make on it.

#include <cstdint>
#include <string>
#include <vector>

namespace quillon::test {

// Interleaved frames of a sine on every channel.
std::vector<float> sine(double frequency, double amplitude, int rate, int channels, int64_t frames);

// A whole file read back through libsndfile as floats (rate 0 when it cannot be opened).
struct ReadBack {
    int rate = 0;
    int channels = 0;
    int format = 0;
    std::vector<float> samples;
    int64_t frames() const { return channels ? static_cast<int64_t>(samples.size()) / channels : 0; }
};
ReadBack readFile(const std::string& path);
// The same as raw integers (libsndfile's left-aligned 32-bit words).
std::vector<int32_t> readFileInts(const std::string& path);

// Frequency of a tone from its rising zero crossings, measured on one channel of
// [begin, end) (interpolated crossings, so the error is far below one frame).
double toneFrequency(const std::vector<float>& samples, int channels, int64_t begin, int64_t end, int rate);

// Root mean square of one channel over [begin, end).
double rms(const std::vector<float>& samples, int channels, int64_t begin, int64_t end);

} // namespace quillon::test
