#include "model/source_relinker.h"

#include "model/audio_clip.h"
#include "plugins/class_com.h"
#include "plugins/file_filter.h"
#include <algorithm>
#include <filesystem>

namespace quillon {

namespace fs = std::filesystem;

namespace {
thread_local SourceRelinker* t_active = nullptr;

// A path as the project wrote it may come from another system: either separator.
std::string fileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

SourceRelinker::SourceRelinker(std::string searchFolder) : m_folder(std::move(searchFolder)) {}

SourceRelinker::~SourceRelinker() = default;

SourceRelinker* SourceRelinker::active() { return t_active; }

SourceRelinker::Scope::Scope(SourceRelinker* relinker) : m_previous(t_active) { t_active = relinker; }

SourceRelinker::Scope::~Scope() { t_active = m_previous; }

void SourceRelinker::index()
{
    m_indexed = true;
    if (m_folder.empty())
        return;
    std::error_code ec;
    // Links to folders are not followed: a loop of them must not hang the load.
    for (fs::recursive_directory_iterator it(m_folder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code fileError;
        if (!it->is_regular_file(fileError))
            continue;
        const auto size = it->file_size(fileError);
        if (fileError)
            continue;
        m_byName.emplace(it->path().filename().string(), std::make_pair(it->path().string(), int64_t(size)));
    }
}

std::vector<uint8_t> SourceRelinker::relink(const FileFilter& filter, const std::vector<uint8_t>& state,
                                            const std::string& missingPath)
{
    if (!m_indexed)
        index();
    const std::string name = fileNameOf(missingPath);
    if (!name.empty()) {
        int64_t recorded = -1;
        try {
            recorded = filter.recordedFileSize(state);
        } catch (const ClassCom&) {
        }
        // Candidates in a stable order, so that the same folder always gives the same file.
        auto [first, last] = m_byName.equal_range(name);
        std::vector<std::pair<std::string, int64_t>> candidates;
        for (auto it = first; it != last; ++it)
            candidates.push_back(it->second);
        std::sort(candidates.begin(), candidates.end());
        for (const auto& [path, size] : candidates) {
            if (recorded >= 0 && size != recorded)
                continue;
            try {
                std::vector<uint8_t> moved = filter.relinkState(state, path);
                if (!moved.empty()) {
                    m_relinked.emplace_back(missingPath, path);
                    return moved;
                }
            } catch (const ClassCom&) {
            }
        }
    }
    if (std::find(m_missing.begin(), m_missing.end(), missingPath) == m_missing.end())
        m_missing.push_back(missingPath.empty() ? std::string("(unnamed)") : missingPath);
    return {};
}

void SourceRelinker::keep(std::unique_ptr<CAudioClip> clip) { m_kept.push_back(std::move(clip)); }

PromptText SourceRelinker::missingText() const
{
    if (m_missing.empty())
        return {};
    std::string paths;
    for (const std::string& path : m_missing)
        paths += (paths.empty() ? "" : "\n") + path;
    return PromptText("%1\n%2").arg(PromptText(kMissingText)).arg(paths);
}

} // namespace quillon
