#pragma once
// The disc-burning library, loaded at run time. The folder comes from the machine-wide
// setting "Software\Ostrel\Shared" / "VardaAPI"; without a usable value the library
// shipped with the program is used. Every entry point is looked up by name at each call,
// and a missing library or entry point gives the documented fallback result.
//
// Threads: the owner's thread only (the library is not reentrant).
#include "base/dynamic_library.h"
#include <quillon/varda_api.h>
#include <string>
#include <vector>

namespace quillon {

class SettingsStore;

class BurnerLibrary {
public:
    static constexpr const char* kValueName = "VardaAPI";
    static constexpr const char* kAccessError = "An error occurred while trying to access the VardaAPI";
    // Longer folder values are ignored (they leave no room for the file name).
    static constexpr size_t kMaxFolderLength = 242;
    static constexpr size_t kMaxValueBytes = 255;
    // The version this program was written for, announced on loading.
    static constexpr int32_t kExpected[4] = {5, 9, 9, 18};

    BurnerLibrary() = default;
    ~BurnerLibrary() = default;
    BurnerLibrary(const BurnerLibrary&) = delete;
    BurnerLibrary& operator=(const BurnerLibrary&) = delete;

    // The file to load: the configured folder's library, else the shipped one.
    static std::string libraryPath(const SettingsStore& settings);
    // Where the shipped library may lie, first match wins: beside the program, the build
    // tree, the installed location.
    static std::vector<std::string> shippedLocations();
    // Frees any library loaded before, loads the one the settings name and announces
    // the version. False when loading fails (errorText() says why).
    bool load(const SettingsStore& settings);
    bool loadFile(const std::string& path);
    void free() { m_lib.free(); }
    bool isLoaded() const { return m_lib.isLoaded(); }
    const std::string& path() const { return m_lib.path(); }
    const std::string& errorText() const { return m_lib.errorText(); }

    int32_t init(const VardaBurnSettings* settings);
    int32_t apiVersion();
    VardaDriveTable* availableDrives();
    void* openDevice(const VardaDriveEntry* drive);
    int32_t burn(void* device, const VardaDisc* disc, uint32_t flags, int32_t speed, const VardaProgress* progress);
    // The library's text, or a generic one when it has none.
    static constexpr const char* kUnknownErrorText = "The disc-burning library reported an unknown error.";
    std::string lastError();
    int32_t erasingTime(void* device, int32_t method);
    int32_t eraseDisc(void* device, int32_t method);
    void closeDevice(void* device);
    // Blocks the medium in the device holds; 0 or less when the drive or an older
    // library cannot tell.
    int32_t mediumCapacity(void* device);
    void freeMemory(void* memory);
    int32_t done();

private:
    template <typename F>
    F entry(const char* name) const
    {
        return m_lib.isLoaded() ? reinterpret_cast<F>(m_lib.symbol(name)) : nullptr;
    }
    DynamicLibrary m_lib;
};

} // namespace quillon
