#include "cover_hand_off.h"

#include "base/folder_settings.h"
#include "base/settings_store.h"
#include "model/label_list.h"
#include <cstdio>
#include <filesystem>
#include <spawn.h>
#include <vector>

extern char** environ;

namespace quillon {

std::string CoverHandOff::playTime(int64_t samples, uint32_t rate)
{
    if (rate == 0 || samples < 0)
        samples = 0;
    const int64_t r = rate ? rate : 1;
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(samples / (r * 60)),
                  static_cast<long long>(samples / r % 60));
    return text;
}

std::string CoverHandOff::content(const std::string& title, const std::string& artist, CLabelList& labels,
                                  int32_t projectEnd, uint32_t rate)
{
    std::vector<const ProjectLabel*> splits;
    std::lock_guard<CLabelList> hold(labels);
    CLabelList::Cursor cursor;
    for (const ProjectLabel* l = labels.first(cursor); l; l = labels.next(cursor))
        if (l->kind == ProjectLabel::kTrackSplit)
            splits.push_back(l);
    std::string out = "[PARAMETERS]\nLANGUAGE=\n\n[CDINFO]\nType=Audio-CD\n";
    out += "Title=" + title + "\n";
    out += "Artist=" + artist + "\n";
    out += "Tracks=" + std::to_string(splits.size()) + "\n";
    out += "Playtime=" + playTime(projectEnd, rate) + "\n";
    for (size_t i = 0; i < splits.size(); ++i) {
        const int64_t end = i + 1 < splits.size() ? splits[i + 1]->position : projectEnd;
        out += "\n[Track" + std::to_string(i + 1) + "]\nType=Audio\n";
        out += "Artist=" + splits[i]->artist + "\n";
        out += "Title=" + splits[i]->title + "\n";
        out += "Playtime=" + playTime(std::max<int64_t>(0, end - splits[i]->position), rate) + "\n";
    }
    return out;
}

bool CoverHandOff::write(const std::string& path, const std::string& text)
{
    std::string bytes;
    for (char c : text) {
        if (c == '\n')
            bytes += '\r';
        bytes += c;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::string CoverHandOff::handOffPath(const SettingsStore& settings)
{
    std::string folder;
    FolderSettings(const_cast<SettingsStore&>(settings)).lookup(kFolderTemporary, folder);
    return (std::filesystem::path(folder) / kFileName).string();
}

std::string CoverHandOff::designerPath(const SettingsStore& settings)
{
    const std::string configured = settings.getString(SettingsRoot::LocalMachine, kDesignerKey, kDesignerValue, "");
    if (!configured.empty())
        return configured;
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const auto beside = exe.parent_path() / kOwnDesigner;
        if (std::filesystem::is_regular_file(beside, ec))
            return beside.string();
    }
    return kOwnDesigner;
}

void CoverHandOff::start(const std::string& designer, const std::string& path)
{
    std::vector<char> program(designer.begin(), designer.end());
    program.push_back('\0');
    std::vector<char> argument(path.begin(), path.end());
    argument.push_back('\0');
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    // The designer runs on by itself; SIGCHLD's default disposition reaps nothing, so a
    // program that keeps running is the normal case and its exit status is not wanted.
    posix_spawnp(&pid, program.data(), nullptr, nullptr, argv, environ);
}

} // namespace quillon
