#include "helper_module.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

namespace quillon::filefilter {

namespace {

std::mutex g_mutex;
std::map<std::string, void*> g_handles; // by file; kept for the life of the process

void anchor() {}

} // namespace

std::string helperModulePath(const char* file)
{
    Dl_info info{};
    std::string folder = ".";
    if (::dladdr(reinterpret_cast<void*>(&anchor), &info) && info.dli_fname) {
        const std::string self = info.dli_fname;
        const size_t slash = self.rfind('/');
        if (slash != std::string::npos)
            folder = self.substr(0, slash);
    }
    return folder + "/" QUILLON_FF_HELPER_FOLDER "/" + file;
}

void* helperSymbol(const char* file, const char* symbol, std::string& error)
{
    std::lock_guard lock(g_mutex);
    void*& handle = g_handles[file];
    if (!handle) {
        const std::string path = helperModulePath(file);
        handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* why = ::dlerror();
            error = why ? why : "cannot load " + path;
            return nullptr;
        }
    }
    void* address = ::dlsym(handle, symbol);
    if (!address)
        error = std::string(file) + " has no entry " + symbol;
    return address;
}

} // namespace quillon::filefilter
