#pragma once
// A shared library loaded at run time (plug-in servers, the burner).

#include <string>

namespace quillon {

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Loads the library; on failure returns false and errorText() tells why.
    bool load(const std::string& path);
    void free();
    bool isLoaded() const { return m_handle != nullptr; }

    // Null when the library does not export the name (errorText() tells why).
    void* symbol(const char* name) const;

    const std::string& path() const { return m_path; }
    const std::string& errorText() const { return m_error; }
    void* handle() const { return m_handle; }

private:
    void* m_handle = nullptr;
    std::string m_path;
    mutable std::string m_error;
};

} // namespace quillon
