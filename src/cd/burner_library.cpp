#include "burner_library.h"

#include "base/settings_store.h"
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace quillon {

namespace {

std::string programFolder()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

} // namespace

std::vector<std::string> BurnerLibrary::shippedLocations()
{
    std::vector<std::string> paths;
    if (std::string folder = programFolder(); !folder.empty()) {
        paths.push_back(folder + "/" + VARDA_LIBRARY_FILE);
        // An installed program: the library lies in the tree it was installed with.
        paths.push_back((std::filesystem::path(folder) / QUILLON_BURNER_DIR_FROM_PROGRAM / VARDA_LIBRARY_FILE)
                            .lexically_normal()
                            .string());
    }
    paths.push_back(std::string(QUILLON_BUILD_BURNER_DIR) + "/" + VARDA_LIBRARY_FILE);
    paths.push_back(std::string(QUILLON_INSTALL_BURNER_DIR) + "/" + VARDA_LIBRARY_FILE);
    return paths;
}

std::string BurnerLibrary::libraryPath(const SettingsStore& settings)
{
    std::string folder = settings.getString(SettingsRoot::LocalMachine, keys::kShared, kValueName, "");
    if (folder.size() > kMaxValueBytes)
        folder.resize(kMaxValueBytes);
    // An empty folder would put the library at the file-system root.
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (!folder.empty() && folder != "/" && folder.size() <= kMaxFolderLength)
        return folder + "/" + VARDA_LIBRARY_FILE;
    const std::vector<std::string> shipped = shippedLocations();
    for (const std::string& p : shipped) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(p, ec))
            return p;
    }
    return shipped.front();
}

bool BurnerLibrary::load(const SettingsStore& settings) { return loadFile(libraryPath(settings)); }

bool BurnerLibrary::loadFile(const std::string& path)
{
    m_lib.free();
    if (!m_lib.load(path))
        return false;
    if (auto ex = entry<VardaSetExpectedAPIVersionExFn>("VardaSetExpectedAPIVersionEx")) {
        ex(kExpected[0], kExpected[1], kExpected[2], kExpected[3], 0);
    } else if (auto plain = entry<VardaSetExpectedAPIVersionFn>("VardaSetExpectedAPIVersion")) {
        int32_t version = 0;
        int32_t scale = 1000;
        for (int32_t part : kExpected) {
            version += std::min(part, 9) * scale;
            scale /= 10;
        }
        plain(version);
    }
    return true;
}

int32_t BurnerLibrary::init(const VardaBurnSettings* settings)
{
    auto f = entry<VardaInitFn>("VardaInit");
    return f ? f(settings, 0) : 1;
}

int32_t BurnerLibrary::apiVersion()
{
    auto f = entry<VardaGetAPIVersionFn>("VardaGetAPIVersion");
    return f ? f() : 0;
}

VardaDriveTable* BurnerLibrary::availableDrives()
{
    auto f = entry<VardaGetAvailableDrivesFn>("VardaGetAvailableDrives");
    return f ? f() : nullptr;
}

void* BurnerLibrary::openDevice(const VardaDriveEntry* drive)
{
    auto f = entry<VardaOpenDeviceFn>("VardaOpenDevice");
    return f ? f(drive) : nullptr;
}

int32_t BurnerLibrary::burn(void* device, const VardaDisc* disc, uint32_t flags, int32_t speed,
                            const VardaProgress* progress)
{
    auto f = entry<VardaBurnFn>("VardaBurn");
    return f ? f(device, 0, disc, flags, speed, progress) : 1;
}

std::string BurnerLibrary::lastError()
{
    auto f = entry<VardaGetLastErrorFn>("VardaGetLastError");
    const char* text = f ? f() : nullptr;
    return text && *text ? std::string(text) : std::string(kUnknownErrorText);
}

int32_t BurnerLibrary::erasingTime(void* device, int32_t method)
{
    auto f = entry<VardaGetCDRWErasingTimeFn>("VardaGetCDRWErasingTime");
    return f ? f(device, method) : -1;
}

int32_t BurnerLibrary::eraseDisc(void* device, int32_t method)
{
    auto f = entry<VardaEraseDiscFn>("VardaEraseDisc");
    return f ? f(device, method, 1, 0) : -1;
}

int32_t BurnerLibrary::mediumCapacity(void* device)
{
    auto f = entry<VardaGetMediumCapacityFn>("VardaGetMediumCapacity");
    return f && device ? f(device) : -1;
}

void BurnerLibrary::closeDevice(void* device)
{
    if (auto f = entry<VardaCloseDeviceFn>("VardaCloseDevice"))
        f(device);
}

void BurnerLibrary::freeMemory(void* memory)
{
    if (auto f = entry<VardaFreeMemFn>("VardaFreeMem"))
        f(memory);
}

int32_t BurnerLibrary::done()
{
    auto f = entry<VardaDoneFn>("VardaDone");
    return f ? f() : 1;
}

} // namespace quillon
