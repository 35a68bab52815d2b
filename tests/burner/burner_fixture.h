#pragma once
// Helpers of the burner tests: track files with a sample pattern that tells every frame
// apart, a disc record built the way the program builds it, and the library loaded
// through dlopen exactly as the program loads it.
#include "base/dynamic_library.h"
#include "support/temp_dir.h"
#include <quillon/varda_api.h>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace quillon::test {

// Left and right samples of a frame of track `track`.
inline int16_t patternSample(int track, int64_t frame, int channel)
{
    return static_cast<int16_t>(((frame * 7 + track * 1013 + channel * 3) % 30011) - 15000);
}

inline void putLe(std::string& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// The raw little-endian PCM of a pattern track.
inline std::string patternPcm(int track, int64_t frames)
{
    std::string pcm;
    pcm.reserve(static_cast<size_t>(frames * 4));
    for (int64_t f = 0; f < frames; ++f)
        for (int c = 0; c < 2; ++c)
            putLe(pcm, static_cast<uint16_t>(patternSample(track, f, c)), 2);
    return pcm;
}

// A 16-bit stereo 44.1 kHz WAV; `extras` puts a LIST chunk before the data and uses the
// extensible format, as some writers do.
inline void writePatternWave(const std::string& path, int track, int64_t frames, bool extras = false)
{
    const std::string pcm = patternPcm(track, frames);
    std::string fmt;
    putLe(fmt, extras ? 0xFFFE : 1, 2);
    putLe(fmt, 2, 2);
    putLe(fmt, 44100, 4);
    putLe(fmt, 176400, 4);
    putLe(fmt, 4, 2);
    putLe(fmt, 16, 2);
    if (extras) {
        putLe(fmt, 22, 2);
        putLe(fmt, 16, 2);
        putLe(fmt, 3, 4);
        putLe(fmt, 1, 4); // PCM sub-format GUID, first word
        fmt += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 12);
    }
    std::string body = "WAVE";
    body += "fmt ";
    putLe(body, static_cast<uint32_t>(fmt.size()), 4);
    body += fmt;
    if (extras) {
        body += "LIST";
        putLe(body, 5, 4);
        body += std::string("INFOx\0", 6); // odd size, padded
    }
    body += "data";
    putLe(body, static_cast<uint32_t>(pcm.size()), 4);
    body += pcm;
    std::ofstream out(path, std::ios::binary);
    out << "RIFF";
    std::string size;
    putLe(size, static_cast<uint32_t>(body.size()), 4);
    out << size << body;
}

struct TrackSpec {
    std::string path;
    int32_t pause = 0;
    std::vector<int32_t> indexes;
    std::string title;
    std::string artist;
    std::string isrc;
};

// A disc record and the strings it points to.
class DiscRecord {
public:
    DiscRecord(std::string title, std::string artist, const std::vector<TrackSpec>& tracks)
        : m_title(std::move(title)), m_artist(std::move(artist)), m_tracks(tracks),
          m_memory(new uint64_t[VardaDiscSize(tracks.size()) / 8 + 1]())
    {
        VardaDisc* d = disc();
        d->title = m_title.c_str();
        d->artist = m_artist.c_str();
        d->trackCount = static_cast<int32_t>(tracks.size());
        d->mediaType = VARDA_MEDIA_AUDIO_CD;
        for (size_t i = 0; i < m_tracks.size(); ++i) {
            VardaTrack& t = VardaDiscTracks(d)[i];
            t.pause = m_tracks[i].pause;
            t.indexCount = static_cast<int32_t>(m_tracks[i].indexes.size());
            for (size_t k = 0; k < m_tracks[i].indexes.size(); ++k)
                t.indexes[k] = m_tracks[i].indexes[k];
            t.title = m_tracks[i].title.c_str();
            t.artist = m_tracks[i].artist.c_str();
            std::strncpy(t.path, m_tracks[i].path.c_str(), sizeof t.path - 1);
            t.sourceKind = VARDA_SOURCE_WAVE_FILE;
            std::strncpy(t.isrc, m_tracks[i].isrc.c_str(), sizeof t.isrc - 1);
        }
    }
    VardaDisc* disc() { return reinterpret_cast<VardaDisc*>(m_memory.get()); }

private:
    std::string m_title;
    std::string m_artist;
    std::vector<TrackSpec> m_tracks;
    std::unique_ptr<uint64_t[]> m_memory;
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace quillon::test
