#include "cue_sheet.h"

#include <cstdio>
#include <sstream>

extern "C" {
#include <libcue.h>
}

namespace quillon {

namespace {

std::string textOf(Cdtext* cdtext, Pti pti)
{
    const char* t = cdtext ? cdtext_get(pti, cdtext) : nullptr;
    return t ? t : "";
}

bool quotable(const std::string& t) { return t.find_first_of("\"\r\n") == std::string::npos; }

// libcue 2.2 keeps no catalogue number: it is read from its own line.
std::string catalogLine(const std::string& text)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const size_t at = line.find_first_not_of(" \t");
        if (at != std::string::npos && line.compare(at, 8, "CATALOG ") == 0) {
            std::string value = line.substr(at + 8);
            while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '"'))
                value.pop_back();
            while (!value.empty() && (value.front() == ' ' || value.front() == '"'))
                value.erase(value.begin());
            return value;
        }
        if (at != std::string::npos && line.compare(at, 6, "TRACK ") == 0)
            break;
    }
    return {};
}

} // namespace

std::string CueSheet::msf(int64_t frames)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld", static_cast<long long>(frames / 4500),
                  static_cast<long long>(frames / 75 % 60), static_cast<long long>(frames % 75));
    return buffer;
}

std::optional<CueSheet> CueSheet::parse(const std::string& text, PromptText& error)
{
    Cd* cd = cue_parse_string(text.c_str());
    if (!cd) {
        error = PromptText("This is not a CUE sheet that can be read.");
        return std::nullopt;
    }
    CueSheet sheet;
    sheet.title = textOf(cd_get_cdtext(cd), PTI_TITLE);
    sheet.performer = textOf(cd_get_cdtext(cd), PTI_PERFORMER);
    sheet.catalog = catalogLine(text);
    const int count = cd_get_ntrack(cd);
    for (int i = 1; i <= count; ++i) {
        Track* t = cd_get_track(cd, i);
        if (!t)
            continue;
        if (track_get_mode(t) != MODE_AUDIO) {
            error = PromptText("Track %1 of the CUE sheet is no audio track.").arg(i);
            cd_delete(cd);
            return std::nullopt;
        }
        CueTrack track;
        track.file = track_get_filename(t) ? track_get_filename(t) : "";
        track.title = textOf(track_get_cdtext(t), PTI_TITLE);
        track.performer = textOf(track_get_cdtext(t), PTI_PERFORMER);
        track.isrc = track_get_isrc(t) ? track_get_isrc(t) : "";
        track.index1 = track_get_index(t, 1);
        track.index0 = track_get_index(t, 0);
        if (track.index1 < 0)
            track.index1 = track_get_start(t);
        for (int k = 2; k < 100; ++k) {
            const long at = track_get_index(t, k);
            if (at < 0)
                break;
            track.indexes.push_back(at);
        }
        sheet.tracks.push_back(std::move(track));
    }
    cd_delete(cd);
    if (sheet.tracks.empty()) {
        error = PromptText("The CUE sheet has no tracks.");
        return std::nullopt;
    }
    return sheet;
}

std::string CueSheet::text(PromptText& error) const
{
    auto quoted = [](const std::string& t) { return "\"" + t + "\""; };
    if (!quotable(title) || !quotable(performer)) {
        error = PromptText("The project's title or artist contains a quotation mark, which a CUE sheet cannot hold.");
        return {};
    }
    std::string out;
    if (!catalog.empty())
        out += "CATALOG " + catalog + "\n";
    out += "PERFORMER " + quoted(performer) + "\nTITLE " + quoted(title) + "\n";
    std::string file;
    for (size_t i = 0; i < tracks.size(); ++i) {
        const CueTrack& t = tracks[i];
        if (!quotable(t.title) || !quotable(t.performer) || !quotable(t.file)) {
            error = PromptText("The CD-TEXT of CD track %1 contains a quotation mark, which a CUE sheet cannot hold.")
                        .arg(i + 1);
            return {};
        }
        if (t.file != file) {
            file = t.file;
            out += "FILE " + quoted(file) + " WAVE\n";
        }
        char number[8];
        std::snprintf(number, sizeof number, "%02d", int(i + 1));
        out += std::string("  TRACK ") + number + " AUDIO\n";
        out += "    TITLE " + quoted(t.title) + "\n    PERFORMER " + quoted(t.performer) + "\n";
        if (!t.isrc.empty())
            out += "    ISRC " + t.isrc + "\n";
        if (t.index0 >= 0 && t.index0 < t.index1)
            out += "    INDEX 00 " + msf(t.index0) + "\n";
        out += "    INDEX 01 " + msf(t.index1) + "\n";
        for (size_t k = 0; k < t.indexes.size(); ++k) {
            std::snprintf(number, sizeof number, "%02d", int(k + 2));
            out += std::string("    INDEX ") + number + " " + msf(t.indexes[k]) + "\n";
        }
    }
    return out;
}

} // namespace quillon
