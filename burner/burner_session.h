#pragma once
// The library's state between calls: the program's settings and callbacks, the drives
// found, the devices open and the last error. The entry points forward here.
//
// Threads: one caller at a time, as the interface says; nothing here locks.
#include "burn_device.h"
#include <quillon/varda_api.h>
#include <memory>
#include <string>
#include <vector>

namespace varda {

class BurnerSession {
public:
    static BurnerSession& instance();

    int32_t setExpectedVersion(int32_t version);
    int32_t expectedVersion() const { return m_expectedVersion; }
    int32_t init(const VardaBurnSettings* settings);
    VardaDriveTable* availableDrives();
    void freeMemory(void* memory);
    void* openDevice(const VardaDriveEntry* drive);
    void closeDevice(void* device);
    int32_t burn(void* device, const VardaDisc* disc, uint32_t flags, int32_t speed, const VardaProgress* progress);
    int32_t erasingTime(void* device, int32_t method);
    int32_t erase(void* device, int32_t method);
    const char* lastError() const { return m_lastError.empty() ? nullptr : m_lastError.c_str(); }
    int32_t done();
    // Blocks the medium holds; -1 for a device that is not open.
    int32_t mediumCapacity(void* device);

    // The image recorder's entry, as the drive table lists it.
    static VardaDriveEntry imageRecorderEntry();

private:
    BurnDevice* find(void* device) const;
    int32_t fail(std::string text);

    VardaBurnSettings m_settings{};
    std::string m_lastError;
    int32_t m_expectedVersion = 0;
    std::vector<std::unique_ptr<BurnDevice>> m_devices;
    std::vector<VardaDriveTable*> m_tables;
};

} // namespace varda
