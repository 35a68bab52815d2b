#include "image_recorder.h"

#include "burn_callbacks.h"
#include <cstdio>
#include <filesystem>
#include <memory>
#include <unistd.h>
#include <vector>

namespace varda {

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// A CUE or TOC string: the preflight keeps quotes out, but a record from elsewhere
// must not end the string early.
std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text)
        out += (c == '"' || (c >= 0 && c < 0x20)) ? '\'' : c;
    return out + "\"";
}

// Both TOC readers take ISO-8859-1 bytes as they are; a backslash would start an escape.
std::string tocQuoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text)
        out += (c == '"' || c == '\\' || (c >= 0 && c < 0x20)) ? '\'' : c;
    return out + "\"";
}

std::string trackNumber(size_t i)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%02zu", i + 1);
    return buffer;
}

bool writeText(const std::string& path, const std::string& text)
{
    File f(std::fopen(path.c_str(), "wb"));
    return f && std::fwrite(text.data(), 1, text.size(), f.get()) == text.size() && std::fflush(f.get()) == 0 &&
           std::fclose(f.release()) == 0;
}

} // namespace

std::string ImageRecorder::basePath(const std::string& chosen)
{
    const std::filesystem::path p(chosen);
    if (p.extension() == ".cue" || p.extension() == ".bin" || p.extension() == ".toc")
        return (p.parent_path() / p.stem()).string();
    return chosen;
}

std::string ImageRecorder::cueText(const DiscLayout& layout, const std::string& binName)
{
    const bool text = layout.hasText();
    std::string out;
    if (!layout.catalog.empty())
        out += "CATALOG " + layout.catalog + "\n";
    if (text)
        out += "PERFORMER " + quoted(layout.artist) + "\nTITLE " + quoted(layout.title) + "\n";
    out += "FILE " + quoted(binName) + " BINARY\n";
    for (size_t i = 0; i < layout.tracks.size(); ++i) {
        const LayoutTrack& t = layout.tracks[i];
        out += "  TRACK " + trackNumber(i) + " AUDIO\n";
        if (!t.isrc.empty())
            out += "    ISRC " + t.isrc + "\n";
        if (text)
            out += "    TITLE " + quoted(t.title) + "\n    PERFORMER " + quoted(t.artist) + "\n";
        if (t.index0 < t.start)
            out += "    INDEX 00 " + msf(t.index0) + "\n";
        out += "    INDEX 01 " + msf(t.start) + "\n";
        for (size_t k = 0; k < t.indexes.size(); ++k)
            out += "    INDEX " + trackNumber(k + 1) + " " + msf(t.indexes[k]) + "\n";
    }
    return out;
}

std::string ImageRecorder::tocText(const DiscLayout& layout, const std::string& binName)
{
    const bool text = layout.hasText();
    std::string out = "CD_DA\n";
    if (!layout.catalog.empty())
        out += "CATALOG " + tocQuoted(layout.catalog) + "\n";
    if (text)
        out += "CD_TEXT {\n  LANGUAGE_MAP { 0 : EN }\n  LANGUAGE 0 {\n    TITLE " + tocQuoted(layout.title) +
               "\n    PERFORMER " + tocQuoted(layout.artist) + "\n  }\n}\n";
    for (const LayoutTrack& t : layout.tracks) {
        out += "TRACK AUDIO\n";
        if (!t.isrc.empty())
            out += "ISRC " + tocQuoted(t.isrc) + "\n";
        if (text)
            out += "CD_TEXT {\n  LANGUAGE 0 {\n    TITLE " + tocQuoted(t.title) + "\n    PERFORMER " +
                   tocQuoted(t.artist) + "\n  }\n}\n";
        // The segment runs from the pregap to the next pregap; START marks index 1 in it
        // and INDEX counts from there.
        out += "FILE " + tocQuoted(binName) + " SWAP " + msf(t.index0) + " " + msf(t.end - t.index0) + "\n";
        if (t.start > t.index0)
            out += "START " + msf(t.start - t.index0) + "\n";
        for (int64_t index : t.indexes)
            out += "INDEX " + msf(index - t.start) + "\n";
    }
    return out;
}

bool ImageRecorder::writeBin(const DiscLayout& layout, FILE* out, BurnCallbacks& callbacks, std::string& error)
{
    const int64_t total = std::max<int64_t>(1, layout.leadout * kBlockBytes);
    int64_t done = 0;
    std::vector<char> buffer(64 * kBlockBytes, 0);
    auto put = [&](size_t bytes) {
        if (out && std::fwrite(buffer.data(), 1, bytes, out) != bytes) {
            error = "The disc image could not be written (disk full?).";
            return false;
        }
        done += int64_t(bytes);
        if (!callbacks.report(int(done * 100 / total))) {
            error = "The burn was cancelled.";
            return false;
        }
        return true;
    };
    auto zeros = [&](int64_t bytes) {
        std::fill(buffer.begin(), buffer.end(), 0);
        while (bytes > 0) {
            const size_t n = size_t(std::min<int64_t>(bytes, int64_t(buffer.size())));
            if (!put(n))
                return false;
            bytes -= int64_t(n);
        }
        return true;
    };
    if (!zeros(layout.leadingSilence * kBlockBytes))
        return false;
    for (size_t i = 0; i < layout.tracks.size(); ++i) {
        const LayoutTrack& t = layout.tracks[i];
        callbacks.phase("Writing track " + std::to_string(i + 1));
        File in(std::fopen(t.source.path.c_str(), "rb"));
        if (!in || std::fseek(in.get(), long(t.source.dataOffset), SEEK_SET) != 0) {
            error = "Cannot open the track file " + t.source.path + ".";
            return false;
        }
        uint64_t left = t.source.dataBytes;
        while (left > 0) {
            const size_t n = size_t(std::min<uint64_t>(left, buffer.size()));
            if (std::fread(buffer.data(), 1, n, in.get()) != n) {
                error = "Cannot read the track file " + t.source.path + ".";
                return false;
            }
            if (!put(n))
                return false;
            left -= n;
        }
        if (!zeros(t.fileBlocks * kBlockBytes - int64_t(t.source.dataBytes)))
            return false;
    }
    return true;
}

bool ImageRecorder::burn(const DiscLayout& layout, uint32_t flags, int32_t, BurnCallbacks& callbacks,
                         std::string& error)
{
    char chosen[VARDA_PATH_SIZE] = {};
    if (callbacks.ask(VARDA_REQUEST_IMAGE_PATH, chosen, VARDA_ANSWER_IMAGE_CANCELLED) != VARDA_ANSWER_OK) {
        error = "No image file was chosen.";
        return false;
    }
    chosen[VARDA_PATH_SIZE - 1] = '\0';
    if (chosen[0] == '\0') {
        error = "No image file was chosen.";
        return false;
    }
    if (flags & VARDA_BURN_SIMULATE) {
        callbacks.phase("Simulating");
        if (!writeBin(layout, nullptr, callbacks, error))
            return false;
        if (callbacks.ask(VARDA_REQUEST_SIMULATION_DONE, nullptr, VARDA_ANSWER_PROCEED) != VARDA_ANSWER_PROCEED) {
            error = "The simulation ended; nothing was recorded.";
            return false;
        }
    }
    const std::string base = basePath(chosen);
    const std::string binName = std::filesystem::path(base).filename().string() + ".bin";
    const std::string suffix = ".part" + std::to_string(::getpid());
    const std::string finals[3] = {base + ".bin", base + ".toc", base + ".cue"};
    std::string temps[3];
    for (int i = 0; i < 3; ++i)
        temps[i] = finals[i] + suffix;
    auto cleanUp = [&] {
        for (const std::string& t : temps)
            std::remove(t.c_str());
    };
    callbacks.phase("Writing disc image");
    {
        File bin(std::fopen(temps[0].c_str(), "wb"));
        if (!bin) {
            error = "Cannot create the disc image " + finals[0] + ".";
            return false;
        }
        if (!writeBin(layout, bin.get(), callbacks, error) || std::fflush(bin.get()) != 0 ||
            std::fclose(bin.release()) != 0) {
            if (error.empty())
                error = "The disc image could not be written (disk full?).";
            cleanUp();
            return false;
        }
    }
    if (!writeText(temps[1], tocText(layout, binName)) || !writeText(temps[2], cueText(layout, binName))) {
        error = "Cannot write the image's table of contents next to " + finals[0] + ".";
        cleanUp();
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        if (std::rename(temps[i].c_str(), finals[i].c_str()) != 0) {
            error = "Cannot rename the finished image to " + finals[i] + ".";
            cleanUp();
            return false;
        }
    }
    callbacks.phase("Image written");
    callbacks.report(100);
    return true;
}

bool ImageRecorder::erase(int32_t, std::string& error)
{
    error = "The Image Recorder cannot erase.";
    return false;
}

} // namespace varda
