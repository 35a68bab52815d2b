#include "base/dynamic_library.h"

#include <dlfcn.h>

#include <utility>

namespace quillon {

DynamicLibrary::~DynamicLibrary() { free(); }

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_path(std::move(other.m_path)),
      m_error(std::move(other.m_error))
{
}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept
{
    if (this != &other) {
        free();
        m_handle = std::exchange(other.m_handle, nullptr);
        m_path = std::move(other.m_path);
        m_error = std::move(other.m_error);
    }
    return *this;
}

bool DynamicLibrary::load(const std::string& path)
{
    free();
    m_error.clear();
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* e = dlerror();
        m_error = e ? e : "unknown error loading " + path;
        return false;
    }
    m_path = path;
    return true;
}

void DynamicLibrary::free()
{
    if (m_handle) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
}

void* DynamicLibrary::symbol(const char* name) const
{
    if (!m_handle) {
        m_error = "library not loaded";
        return nullptr;
    }
    dlerror();
    void* s = dlsym(m_handle, name);
    if (!s) {
        const char* e = dlerror();
        m_error = e ? e : std::string("symbol not found: ") + name;
    }
    return s;
}

} // namespace quillon
