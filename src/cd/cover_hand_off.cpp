#include "cover_hand_off.h"

#include "base/folder_settings.h"
#include "base/settings_store.h"
#include "model/label_list.h"
#include <cstdio>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
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

std::string CoverHandOff::ownDesignerPath()
{
    std::error_code ec;
    std::vector<std::filesystem::path> candidates;
    if (const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec); !ec)
        candidates.push_back(exe.parent_path() / kOwnDesigner);
    candidates.push_back(QUILLON_BUILD_COVER_PROGRAM);
    candidates.push_back(std::filesystem::path(QUILLON_INSTALL_BIN_DIR) / kOwnDesigner);
    for (const auto& p : candidates)
        if (std::filesystem::is_regular_file(p, ec) && ::access(p.c_str(), X_OK) == 0)
            return p.string();
    return kOwnDesigner;
}

std::string CoverHandOff::designerPath(const SettingsStore& settings)
{
    const std::string configured = settings.getString(SettingsRoot::LocalMachine, kDesignerKey, kDesignerValue, "");
    if (!configured.empty())
        return configured;
    return ownDesignerPath();
}

bool CoverHandOff::writePdf(const std::string& handOff, const std::string& pdf, std::string& error)
{
    const std::string program = ownDesignerPath();
    std::vector<std::string> words = {program, handOff, "--pdf", pdf};
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (const int err = posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ); err != 0) {
        error = "cannot start " + program + ": " + std::strerror(err);
        return false;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) {
            error = "lost " + program + ": " + std::strerror(errno);
            return false;
        }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    error = program + (WIFEXITED(status) ? " failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")"
                                         : std::string(" ended by a signal"));
    return false;
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
