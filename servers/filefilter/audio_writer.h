#pragma once
// Creates one destination audio file and appends frames to it, in the file type that the
// path's extension names (see export_format.h).
//
// Integer PCM is quantised here (round to nearest, clip at full scale) and handed to
// libsndfile as integers: its own float-to-integer path scales by 2^(n-1) - 1 and so
// cannot return a float block of exact n-bit values unchanged. WAV and AIFF headers are
// rewritten after every block, so that a file whose writer never got to close it (a
// stopped export whose caller died, a crash) still opens with every frame written.
// WAV files of one or two channels are what every reader takes: a RIFF file whose format
// chunk has tag 1 (PCM) or 3 (float). One that is known to pass 4 GiB is RF64 from the
// start. One of unknown length (a take) is written as RF64 that stays RIFF below 4 GiB, its
// header reserving the room for the RF64 sizes, and its extensible format chunk is turned
// into the plain one (the rest of its space a JUNK chunk) whenever the header is written;
// a take that grows past 4 GiB becomes RF64 in place. More channels need the extensible
// format chunk and keep it.
//
// Threads: an AudioWriter belongs to one thread at a time (the export worker or the
// recording thread); it has no shared state.

#include "export_format.h"
#include "save_options.h"

#include <quillon/wave_format.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct sf_private_tag;
struct soxr;

namespace quillon::filefilter {

class AudioWriter {
public:
    // What write() receives: interleaved 32-bit floats in the nominal range -1..+1 (export),
    // or frames in the destination format itself (recording).
    enum class Input { Float, Recorded };

    AudioWriter();
    ~AudioWriter(); // closes the file
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    // Creates (or replaces) the file. The destination format gives channels, rate and the
    // sample resolution (tag 1 with 8, 16, 24 or 32 bits, or tag 3 with 32-bit float).
    // `expectedFrames` is the length to come in input frames, 0 when unknown.
    bool open(const std::string& path, const WAVEFORMATEX& destination, Input input,
              const SaveOptions& options = {}, int64_t expectedFrames = 0);

    // Data bytes beyond which a WAV file cannot be a plain RIFF file, with room for its
    // header and a final block past the length announced.
    static constexpr int64_t kRiffDataLimit = 0xFFFFFFFFll - (int64_t{1} << 20);

    // Appends count frames. A short write (a full disk) fails and keeps the file valid.
    bool write(const void* frames, size_t count);

    // Finishes the file (encoder flush, final header). Safe to call more than once.
    bool close();

    bool isOpen() const { return m_file != nullptr; }
    int64_t framesWritten() const { return m_framesWritten; }
    const std::string& lastError() const { return m_error; }
    ExportType type() const { return m_type; }
    // The libsndfile format word and rate of the file being written.
    int fileFormat() const { return m_fileFormat; }
    int fileSampleRate() const { return m_fileRate; }

private:
    bool fail(std::string message);
    bool writeFloat(const float* frames, size_t count);
    bool resample(const float* frames, size_t count);
    bool storeFloat(const float* frames, size_t count);
    bool storeQuantised(const int32_t* values, size_t count);
    bool writeRecorded(const uint8_t* frames, size_t count);
    bool flushResampler();
    // Rewrites an extensible format chunk of a WAV file as the plain one; see above.
    void plainFormatChunk();

    sf_private_tag* m_file = nullptr;
    soxr* m_resampler = nullptr;
    ExportType m_type = ExportType::Wav;
    Input m_input = Input::Float;
    WAVEFORMATEX m_destination{};
    int m_channels = 0;
    int m_fileFormat = 0;
    int m_fileRate = 0;
    int m_fileBits = 0;  // integer resolution of the file, 0 when it takes floats
    bool m_updateHeader = false; // WAV and AIFF: header rewritten after every block
    int m_patchFd = -1;          // the file once more, for plainFormatChunk(); -1 when not needed
    int m_inputBits = 0; // integer resolution of recorded input, 0 for float input
    int64_t m_framesWritten = 0;
    std::string m_error;

    // Scratch space for one chunk, sized at open so that writing allocates nothing.
    std::vector<int32_t> m_quantised;
    std::vector<int16_t> m_shorts;
    std::vector<float> m_floats;
    std::vector<float> m_resampled;
};

} // namespace quillon::filefilter
