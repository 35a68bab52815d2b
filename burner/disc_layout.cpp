#include "disc_layout.h"

#include "latin1_text.h"
#include <cstdio>
#include <cstring>

namespace varda {

namespace {

std::string fixedText(const char* text) { return text ? toLatin1(text) : std::string(); }

std::string numbered(const char* format, int64_t n)
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, static_cast<long long>(n));
    return buffer;
}

} // namespace

bool DiscLayout::hasText() const
{
    if (!title.empty() || !artist.empty())
        return true;
    for (const LayoutTrack& t : tracks)
        if (!t.title.empty() || !t.artist.empty())
            return true;
    return false;
}

std::string fixedField(const char* field, size_t size)
{
    const void* end = std::memchr(field, 0, size);
    return std::string(field, end ? static_cast<const char*>(end) : field + size);
}

bool isIsrc(const std::string& t)
{
    if (t.size() != 12)
        return false;
    for (size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        const bool letter = c >= 'A' && c <= 'Z', digit = c >= '0' && c <= '9';
        if (!(i < 2 ? letter : i < 5 ? letter || digit : digit))
            return false;
    }
    return true;
}

bool isCatalogNumber(const std::string& t)
{
    return t.size() == 13 && t.find_first_not_of("0123456789") == std::string::npos;
}

std::string msf(int64_t blocks)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld", static_cast<long long>(blocks / 4500),
                  static_cast<long long>(blocks / 75 % 60), static_cast<long long>(blocks % 75));
    return buffer;
}

std::string buildLayout(const VardaDisc& disc, DiscLayout& out)
{
    out = DiscLayout{};
    if (disc.trackCount < 1 || disc.trackCount > 99)
        return "An Audio CD holds 1 to 99 tracks.";
    out.title = fixedText(disc.title);
    out.artist = fixedText(disc.artist);
    // The codes go into CUE, TOC and subchannel as they stand: anything else is refused.
    out.catalog = fixedField(disc.catalog, sizeof disc.catalog);
    if (!out.catalog.empty() && !isCatalogNumber(out.catalog))
        return "The disc's catalogue number is not 13 digits.";
    const VardaTrack* records = VardaDiscTracks(const_cast<VardaDisc*>(&disc));
    int64_t position = 0;
    for (int32_t i = 0; i < disc.trackCount; ++i) {
        const VardaTrack& r = records[i];
        LayoutTrack t;
        t.title = fixedText(r.title);
        t.artist = fixedText(r.artist);
        t.isrc = fixedField(r.isrc, sizeof r.isrc);
        if (!t.isrc.empty() && !isIsrc(t.isrc))
            return numbered("The ISRC of track %lld is not valid.", i + 1);
        if (r.sourceKind != VARDA_SOURCE_WAVE_FILE)
            return numbered("Track %lld has a source the library cannot read.", i + 1);
        if (std::memchr(r.path, 0, sizeof r.path) == nullptr)
            return numbered("The file name of track %lld is too long.", i + 1);
        if (std::string error = inspectWave(r.path, t.source); !error.empty())
            return error;
        t.fileBlocks = int64_t((t.source.dataBytes + kBlockBytes - 1) / kBlockBytes);
        if (r.pause < 0)
            return numbered("Track %lld has a negative pause.", i + 1);
        if (i == 0) {
            if (r.pause < kFirstPregap)
                return "The first track needs a pause of at least 2 seconds.";
            out.leadingSilence = r.pause - kFirstPregap;
            position = out.leadingSilence;
            t.index0 = 0;
        } else {
            LayoutTrack& previous = out.tracks.back();
            if (position - r.pause < previous.start + 1)
                return numbered("The pause of track %lld is longer than the track before it.", i + 1);
            t.index0 = position - r.pause;
        }
        t.start = position;
        position += t.fileBlocks;
        if (r.indexCount < 0 || r.indexCount > VARDA_MAX_INDEXES)
            return numbered("Track %lld has more than 98 indexes.", i + 1);
        int64_t index = t.start;
        for (int32_t k = 0; k < r.indexCount; ++k) {
            if (r.indexes[k] <= 0)
                return numbered("The indexes of track %lld are not in order.", i + 1);
            index += r.indexes[k];
            t.indexes.push_back(index);
        }
        out.tracks.push_back(std::move(t));
    }
    out.leadout = position;
    for (size_t i = 0; i < out.tracks.size(); ++i) {
        LayoutTrack& t = out.tracks[i];
        t.end = i + 1 < out.tracks.size() ? out.tracks[i + 1].index0 : out.leadout;
        if (t.end - t.start < kMinTrackBlocks)
            return numbered("Track %lld is shorter than 4 seconds.", int64_t(i) + 1);
        if (!t.indexes.empty() && t.indexes.back() >= t.end)
            return numbered("An index of track %lld lies past the track's end.", int64_t(i) + 1);
    }
    return {};
}

} // namespace varda
