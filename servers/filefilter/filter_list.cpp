#include "filter_list.h"

#include <quillon/plugin_text.h>

#include <sndfile.h>

#include <vector>

namespace quillon::filefilter {

namespace {

struct Entry {
    const char* description;
    const char* patterns;
    int major;
    int subtype; // 0: any
};

const Entry kEntries[] = {
    {QUILLON_TEXT("FileTypes", "Wave files"), "*.wav;*.wave", SF_FORMAT_WAV, 0},
    {QUILLON_TEXT("FileTypes", "RF64 files"), "*.rf64", SF_FORMAT_RF64, 0},
    {QUILLON_TEXT("FileTypes", "AIFF files"), "*.aif;*.aiff;*.aifc", SF_FORMAT_AIFF, 0},
    {QUILLON_TEXT("FileTypes", "FLAC files"), "*.flac", SF_FORMAT_FLAC, 0},
    {QUILLON_TEXT("FileTypes", "Ogg Vorbis files"), "*.ogg;*.oga", SF_FORMAT_OGG, SF_FORMAT_VORBIS},
    {QUILLON_TEXT("FileTypes", "Opus files"), "*.opus", SF_FORMAT_OGG, SF_FORMAT_OPUS},
    {QUILLON_TEXT("FileTypes", "MP3 files"), "*.mp3", SF_FORMAT_MPEG, 0},
    {QUILLON_TEXT("FileTypes", "Core Audio files"), "*.caf", SF_FORMAT_CAF, 0},
    {QUILLON_TEXT("FileTypes", "Wave 64 files"), "*.w64", SF_FORMAT_W64, 0},
};

bool hasFormat(int command, int countCommand, int format)
{
    int count = 0;
    sf_command(nullptr, countCommand, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        if (sf_command(nullptr, command, &info, sizeof info) == 0 && info.format == format)
            return true;
    }
    return false;
}

} // namespace

std::string filterList()
{
    std::vector<const Entry*> available;
    for (const Entry& e : kEntries)
        if (hasFormat(SFC_GET_FORMAT_MAJOR, SFC_GET_FORMAT_MAJOR_COUNT, e.major) &&
            (!e.subtype || hasFormat(SFC_GET_FORMAT_SUBTYPE, SFC_GET_FORMAT_SUBTYPE_COUNT, e.subtype)))
            available.push_back(&e);
    std::string all;
    for (const Entry* e : available)
        all += (all.empty() ? "" : ";") + std::string(e->patterns);
    std::string list = std::string(QUILLON_TEXT("FileTypes", "All audio files")) + "|" + all + "|";
    for (const Entry* e : available)
        list += std::string(e->description) + "|" + e->patterns + "|";
    return list;
}

} // namespace quillon::filefilter
