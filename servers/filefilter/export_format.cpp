#include "export_format.h"

#include <quillon/plugin_text.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace quillon::filefilter {

namespace {

constexpr std::array<ExportFormat, 6> kFormats{{
    {ExportType::Wav, QUILLON_TEXT("FileTypes", "Wave audio (*.wav)"), "wav", true},
    {ExportType::Aiff, QUILLON_TEXT("FileTypes", "AIFF audio (*.aiff)"), "aiff", true},
    {ExportType::Flac, QUILLON_TEXT("FileTypes", "FLAC lossless audio (*.flac)"), "flac", true},
    {ExportType::OggVorbis, QUILLON_TEXT("FileTypes", "Ogg Vorbis audio (*.ogg)"), "ogg", false},
    {ExportType::Opus, QUILLON_TEXT("FileTypes", "Opus audio (*.opus)"), "opus", false},
    {ExportType::Mp3, QUILLON_TEXT("FileTypes", "MP3 audio (*.mp3)"), "mp3", false},
}};

struct Alias {
    const char* extension;
    ExportType type;
};

constexpr Alias kAliases[] = {
    {"wav", ExportType::Wav},        {"wave", ExportType::Wav},   {"aiff", ExportType::Aiff},
    {"aif", ExportType::Aiff},       {"flac", ExportType::Flac},  {"ogg", ExportType::OggVorbis},
    {"oga", ExportType::OggVorbis},  {"opus", ExportType::Opus},  {"mp3", ExportType::Mp3},
};

std::string lowerExtension(std::string_view path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    std::string ext(path.substr(dot + 1));
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

} // namespace

std::span<const ExportFormat> exportFormats()
{
    return kFormats;
}

int exportFormatForPath(std::string_view path)
{
    const std::string ext = lowerExtension(path);
    for (const Alias& alias : kAliases) {
        if (ext == alias.extension) {
            for (size_t i = 0; i < kFormats.size(); ++i) {
                if (kFormats[i].type == alias.type)
                    return static_cast<int>(i);
            }
        }
    }
    return -1;
}

std::string pathWithExportExtension(std::string_view path, int formatIndex)
{
    std::string result(path);
    if (formatIndex < 0 || formatIndex >= static_cast<int>(kFormats.size()))
        return result;
    if (exportFormatForPath(path) == formatIndex)
        return result;
    result += '.';
    result += kFormats[static_cast<size_t>(formatIndex)].extension;
    return result;
}

} // namespace quillon::filefilter
