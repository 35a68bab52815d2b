#include "model/project_recovery.h"

#include "base/folder_settings.h"
#include "base/prompter.h"
#include "base/settings_store.h"
#include "model/multitracker_doc.h"
#include "model/project_file.h"
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <unistd.h>

namespace quillon {

namespace fs = std::filesystem;

namespace {

// Whether the process that wrote a recovery file still runs (a second window of the
// program editing its project): its file is no crash's.
bool processRuns(int32_t pid)
{
    if (pid <= 0 || pid == int32_t(::getpid()))
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

std::vector<uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

} // namespace

ProjectRecovery::ProjectRecovery(SettingsStore& settings, Prompter& prompter)
    : m_settings(settings), m_prompter(prompter)
{
}

std::string ProjectRecovery::recoveryPath(const std::string& projectPath) const
{
    if (!projectPath.empty())
        return projectPath + kSuffix;
    std::string folder;
    FolderSettings(m_settings).lookup(kFolderTemporary, folder);
    return (fs::path(folder) / kUntitledFile).string();
}

int32_t ProjectRecovery::intervalMilliseconds() const
{
    // Tests start the program with an interval of a fraction of a second.
    if (const char* ms = std::getenv("QUILLON_AUTOSAVE_INTERVAL_MS"); ms && *ms)
        return std::max(0, std::atoi(ms));
    const int32_t minutes = m_settings.profileInt(kSection, kIntervalName, kDefaultIntervalMinutes);
    return minutes > 0 && minutes <= 24 * 60 ? minutes * 60 * 1000 : 0;
}

bool ProjectRecovery::autosave(CMultitrackerDoc& doc, const std::string& projectPath, std::string& error)
{
    const std::string path = recoveryPath(projectPath);
    if (!fs::path(path).has_parent_path()) {
        // Never a file in whatever folder the program happened to start in.
        error = "there is no Temporary folder for the recovery file";
        return false;
    }
    std::vector<uint8_t> bytes;
    try {
        bytes = ProjectFile::storeBytes(doc);
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    if (!ProjectFile::writeFile(path, bytes, error))
        return false;
    // A project saved under a new name leaves the old name's file behind otherwise.
    if (!m_written.empty() && m_written != path) {
        std::error_code ec;
        fs::remove(m_written, ec);
    }
    m_written = path;
    m_settings.writeProfileString(kSection, kFileName, path);
    m_settings.writeProfileString(kSection, kProjectName, projectPath);
    m_settings.writeProfileInt(kSection, kProcessName, int32_t(::getpid()));
    return true;
}

void ProjectRecovery::discard()
{
    if (m_written.empty())
        return;
    std::error_code ec;
    fs::remove(m_written, ec);
    // Only this process's own entry: another window's stays.
    if (m_settings.profileString(kSection, kFileName, "") == m_written) {
        m_settings.writeProfileString(kSection, kFileName, "");
        m_settings.writeProfileString(kSection, kProjectName, "");
        m_settings.writeProfileInt(kSection, kProcessName, 0);
    }
    m_written.clear();
}

ProjectRecovery::Offer ProjectRecovery::offer(CMultitrackerDoc& doc, const std::string& projectPath, bool anyProject,
                                              std::string& recoveredPath)
{
    std::string file;
    std::string project;
    const std::string pending = m_settings.profileString(kSection, kFileName, "");
    const std::string pendingProject = m_settings.profileString(kSection, kProjectName, "");
    std::error_code ec;
    if (!pending.empty() && fs::exists(pending, ec) && !processRuns(m_settings.profileInt(kSection, kProcessName, 0)) &&
        (anyProject || pendingProject == projectPath)) {
        file = pending;
        project = pendingProject;
    } else if (!projectPath.empty() && fs::exists(recoveryPath(projectPath), ec) &&
               !(pending == recoveryPath(projectPath) &&
                 processRuns(m_settings.profileInt(kSection, kProcessName, 0)))) {
        file = recoveryPath(projectPath);
        project = projectPath;
    }
    if (file.empty())
        return Offer::None;
    PromptText text(kOfferText);
    if (project.empty())
        text.arg(PromptText(kUntitledText));
    else
        text.arg(fs::path(project).filename().string());
    const bool forget = !m_prompter.askYesNo(text);
    if (!forget) {
        const std::vector<uint8_t> bytes = readBytes(file);
        PromptText error;
        if (bytes.empty() || !ProjectFile::loadBytes(doc, bytes.data(), bytes.size(), error)) {
            m_prompter.showMessage(error.empty() ? PromptText(ProjectFile::kUnexpectedFormat) : error,
                                   PromptIcon::Error);
            return Offer::Failed;
        }
        doc.setModified(true);
        recoveredPath = project;
        // Kept until the recovered work is saved or closed: a second crash must not lose it.
        m_written = file;
        m_settings.writeProfileString(kSection, kFileName, file);
        m_settings.writeProfileString(kSection, kProjectName, project);
        m_settings.writeProfileInt(kSection, kProcessName, int32_t(::getpid()));
        return Offer::Recovered;
    }
    fs::remove(file, ec);
    if (file == pending) {
        m_settings.writeProfileString(kSection, kFileName, "");
        m_settings.writeProfileString(kSection, kProjectName, "");
        m_settings.writeProfileInt(kSection, kProcessName, 0);
    }
    return Offer::Declined;
}

} // namespace quillon
