#include "engine/recording_state.h"

#include "base/level.h"
#include "base/wave_format.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <thread>

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace quillon {

RecordingState::RecordingState(const WAVEFORMATEX& format, std::string targetPath, FileFilter filter, int inputDevice,
                               int32_t insertionPosition)
    : m_format(format), m_inputDevice(inputDevice), m_insertionPosition(insertionPosition),
      m_position(insertionPosition), m_targetPath(std::move(targetPath)), m_filter(std::move(filter))
{
}

WAVEFORMATEX RecordingState::recordingFormat(uint32_t rate, bool stereo, uint16_t bits)
{
    return makePcmFormat(rate, stereo ? 2 : 1, bits);
}

std::string RecordingState::targetPath() const
{
    std::lock_guard lock(m_mutex);
    return m_targetPath;
}

void RecordingState::changeTarget(const std::string& path)
{
    {
        std::lock_guard lock(m_mutex);
        m_targetPath = path;
    }
    m_newFile.store(true);
}

void RecordingState::waitUntilFinished() const
{
    while (!m_finished.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

void RecordingState::postMessage(const PromptText& text)
{
    std::lock_guard lock(m_mutex);
    m_messages.push_back(text);
}

std::vector<PromptText> RecordingState::takeMessages()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_messages, {});
}

std::vector<std::string> RecordingState::takeEnglishMessages()
{
    std::vector<std::string> texts;
    for (const PromptText& text : takeMessages())
        texts.push_back(text.english());
    return texts;
}

int RecordingState::meterLevel(float peak)
{
    const double db = level::gainToDb(peak); // -144 dB for silence
    return 100 - static_cast<int>(-1.25 * db);
}

PromptText RecordingState::maximumRecordingTime(uint64_t freeBytes, const WAVEFORMATEX& format)
{
    const uint64_t perSecond = std::max<uint64_t>(format.nAvgBytesPerSec, 1);
    freeBytes = std::min<uint64_t>(freeBytes, static_cast<uint64_t>(format.nBlockAlign) * 2147483647ull);
    if (freeBytes < 3600 * perSecond)
        return PromptText("%1 minutes").arg(static_cast<int>(freeBytes / (60 * perSecond)));
    return PromptText("%1 hours").arg(static_cast<int>(freeBytes / (3600 * perSecond)));
}

bool RecordingState::isLowOnSpace(uint64_t freeBytes, const WAVEFORMATEX& format)
{
    return freeBytes < 60ull * format.nAvgBytesPerSec;
}

uint64_t RecordingState::freeBytesFor(const std::string& path)
{
    // The folder the take goes into decides: the file itself may not exist yet, and a
    // folder may be a mount of its own, so the root of the path says nothing.
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0)
        return 0;
    return static_cast<uint64_t>(info.f_bavail) * static_cast<uint64_t>(info.f_frsize);
}

std::string RecordingState::mountPointOf(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(path).parent_path(), ec);
    if (ec)
        return {};
    struct stat here {};
    if (::stat(p.c_str(), &here) != 0)
        return {};
    // Up the folders while they are on the same file system.
    while (p.has_relative_path()) {
        const std::filesystem::path up = p.parent_path();
        struct stat above {};
        if (::stat(up.c_str(), &above) != 0 || above.st_dev != here.st_dev)
            break;
        p = up;
    }
    return p.string();
}

} // namespace quillon
