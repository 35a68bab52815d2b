#include "engine/portaudio_session.h"

#include <portaudio.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace quillon {

namespace {

std::mutex g_mutex;
int g_users = 0;
bool g_initialised = false;

PaError initialiseQuietly()
{
    setenv("JACK_NO_START_SERVER", "1", 0);
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int sink = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && sink >= 0)
        dup2(sink, STDERR_FILENO);
    const PaError err = Pa_Initialize();
    std::fflush(stderr);
    if (saved >= 0 && sink >= 0)
        dup2(saved, STDERR_FILENO);
    if (sink >= 0)
        close(sink);
    if (saved >= 0)
        close(saved);
    return err;
}

} // namespace

PortAudioSession::PortAudioSession()
{
    std::lock_guard lock(g_mutex);
    if (g_users == 0)
        g_initialised = initialiseQuietly() == paNoError;
    ++g_users;
    m_valid = g_initialised;
}

PortAudioSession::~PortAudioSession()
{
    std::lock_guard lock(g_mutex);
    if (--g_users == 0 && g_initialised) {
        Pa_Terminate();
        g_initialised = false;
    }
}

std::mutex& PortAudioSession::streamMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::vector<PortAudioSession::Device> PortAudioSession::devices(bool output) const
{
    std::vector<Device> list;
    if (!m_valid)
        return list;
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (!info)
            continue;
        const int channels = output ? info->maxOutputChannels : info->maxInputChannels;
        if (channels > 0)
            list.push_back({i, info->name ? info->name : "", channels});
    }
    return list;
}

int PortAudioSession::resolve(int deviceId, bool output) const
{
    if (!m_valid)
        return -1;
    if (deviceId < 0) {
        const PaDeviceIndex def = output ? Pa_GetDefaultOutputDevice() : Pa_GetDefaultInputDevice();
        return def == paNoDevice ? -1 : def;
    }
    const std::vector<Device> list = devices(output);
    return static_cast<size_t>(deviceId) < list.size() ? list[static_cast<size_t>(deviceId)].index : -1;
}

} // namespace quillon
