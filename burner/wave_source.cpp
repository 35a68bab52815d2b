#include "wave_source.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace varda {

namespace {

uint32_t le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t le16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

} // namespace

std::string inspectWave(const std::string& path, WaveSource& out)
{
    std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f)
        return "Cannot open the track file " + path + ".";
    unsigned char riff[12];
    if (std::fread(riff, 1, 12, f.get()) != 12 || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        return "The track file " + path + " is not a WAV file.";
    bool haveFormat = false;
    std::fseek(f.get(), 0, SEEK_END);
    const uint64_t fileSize = uint64_t(std::ftell(f.get()));
    uint64_t position = 12;
    while (position + 8 <= fileSize) {
        unsigned char header[8];
        if (std::fseek(f.get(), long(position), SEEK_SET) != 0 || std::fread(header, 1, 8, f.get()) != 8)
            break;
        const uint64_t body = position + 8;
        const uint32_t size = le32(header + 4);
        if (std::memcmp(header, "fmt ", 4) == 0) {
            unsigned char fmt[40] = {};
            const uint32_t take = size < sizeof fmt ? size : uint32_t(sizeof fmt);
            if (size < 16 || std::fread(fmt, 1, take, f.get()) != take)
                return "The track file " + path + " has a broken format chunk.";
            uint16_t tag = le16(fmt);
            // The extensible format names the real one in its sub-format's first word.
            if (tag == 0xFFFE && size >= 40)
                tag = le16(fmt + 24);
            if (tag != 1 || le16(fmt + 2) != 2 || le32(fmt + 4) != 44100 || le16(fmt + 14) != 16)
                return "The track file " + path + " is not 16-bit stereo PCM at 44100 Hz.";
            haveFormat = true;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (!haveFormat)
                return "The track file " + path + " has no format before its data.";
            uint64_t bytes = size;
            // A writer that never came back to fill in the size leaves 0 or too much.
            if (bytes == 0 || bytes == 0xFFFFFFFFu || body + bytes > fileSize)
                bytes = fileSize - body;
            out.path = path;
            out.dataOffset = body;
            out.dataBytes = bytes - bytes % 4;
            return {};
        }
        position = body + size + (size & 1u);
    }
    return "The track file " + path + " holds no audio data.";
}

} // namespace varda
