#include "model/playlist_reader.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace quillon {

namespace {

namespace fs = std::filesystem;

std::string lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

std::string_view trim(std::string_view s)
{
    const auto space = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!s.empty() && space(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && space(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = char(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// "%20" and the like; a stray "%" stays as it is.
std::string percentDecode(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            const int hi = hexValue(s[i + 1]);
            const int lo = hexValue(s[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(char(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(s[i]);
    }
    return out;
}

} // namespace

PlaylistReader::Kind PlaylistReader::kindOf(const std::string& path)
{
    const std::string ext = lower(fs::path(path).extension().string());
    if (ext == ".m3u" || ext == ".m3u8")
        return Kind::M3u;
    if (ext == ".pls")
        return Kind::Pls;
    return Kind::None;
}

std::vector<std::string> PlaylistReader::parse(std::string_view text, Kind kind)
{
    std::vector<std::string> entries;
    // A byte-order mark would otherwise stick to the first entry.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty())
            continue;
        if (kind == Kind::M3u) {
            if (line.find('#') == std::string_view::npos)
                entries.emplace_back(line);
        } else if (kind == Kind::Pls) {
            if (line.size() >= 4 && lower(line.substr(0, 4)) == "file") {
                const size_t eq = line.rfind('=');
                if (eq == std::string_view::npos)
                    continue;
                const std::string_view entry = trim(line.substr(eq + 1));
                if (!entry.empty())
                    entries.emplace_back(entry);
            }
        }
    }
    return entries;
}

std::string PlaylistReader::resolve(const std::string& entry, const std::string& folder)
{
    if (lower(std::string_view(entry).substr(0, 5)) == "file:") {
        std::string_view rest = std::string_view(entry).substr(5);
        if (rest.substr(0, 2) == "//") {
            rest.remove_prefix(2);
            // The authority: empty or "localhost" for a local file.
            const size_t slash = rest.find('/');
            rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
        }
        return percentDecode(rest);
    }
    const fs::path p(entry);
    if (p.is_absolute() || folder.empty())
        return entry;
    return (fs::path(folder) / p).lexically_normal().string();
}

std::optional<std::vector<std::string>> PlaylistReader::read(const std::string& path)
{
    const Kind kind = kindOf(path);
    if (kind == Kind::None)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    const std::string folder = fs::path(path).parent_path().string();
    std::vector<std::string> entries = parse(text, kind);
    for (std::string& e : entries)
        e = resolve(e, folder);
    return entries;
}

std::vector<std::string> PlaylistReader::expand(const std::vector<std::string>& files)
{
    std::vector<std::string> out;
    for (const std::string& f : files) {
        if (!isPlaylist(f)) {
            out.push_back(f);
            continue;
        }
        if (auto entries = read(f))
            out.insert(out.end(), entries->begin(), entries->end());
    }
    return out;
}

} // namespace quillon
