#include "tempo_module.h"

#include "tempo/tempo_module_abi.h"

#include <dlfcn.h>

#include <mutex>

namespace quillon::filefilter {

namespace {

std::mutex g_mutex;
QuillonTempoDetect g_detect = nullptr;
std::string g_error;

size_t readThrough(void* context, int64_t position, float* dest, size_t frames)
{
    return (*static_cast<const TempoModule::SourceRead*>(context))(position, dest, frames);
}

QuillonTempoDetect load()
{
    std::lock_guard lock(g_mutex);
    if (g_detect)
        return g_detect;
    const std::string path = TempoModule::modulePath();
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        g_error = why ? why : "cannot load " + path;
        return nullptr;
    }
    g_detect = reinterpret_cast<QuillonTempoDetect>(::dlsym(handle, QUILLON_TEMPO_DETECT_SYMBOL));
    if (!g_detect) {
        g_error = path + " has no tempo entry";
        ::dlclose(handle);
        return nullptr;
    }
    g_error.clear();
    return g_detect;
}

} // namespace

std::string TempoModule::modulePath()
{
    Dl_info info{};
    std::string folder = ".";
    if (::dladdr(reinterpret_cast<void*>(&readThrough), &info) && info.dli_fname) {
        const std::string self = info.dli_fname;
        const size_t slash = self.rfind('/');
        if (slash != std::string::npos)
            folder = self.substr(0, slash);
    }
    return folder + "/" QUILLON_TEMPO_MODULE_FOLDER "/" QUILLON_TEMPO_MODULE_FILE;
}

float TempoModule::detect(int channels, int sampleRate, const SourceRead& source, int64_t sourceLength,
                          int64_t position)
{
    const QuillonTempoDetect detect = load();
    if (!detect)
        return -1.0f;
    return detect(channels, sampleRate, readThrough, const_cast<SourceRead*>(&source), sourceLength, position);
}

std::string TempoModule::lastError()
{
    std::lock_guard lock(g_mutex);
    return g_error;
}

} // namespace quillon::filefilter
