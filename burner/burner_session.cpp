#include "burner_session.h"

#include "burn_callbacks.h"
#include "image_recorder.h"
#include "libburn_drives.h"
#include <algorithm>
#include <cstdlib>
#include <climits>
#include <cstring>

namespace varda {

namespace {

void copyBounded(char* dest, size_t size, const std::string& text)
{
    const size_t n = std::min(size - 1, text.size());
    std::memcpy(dest, text.data(), n);
    dest[n] = '\0';
}

} // namespace

BurnerSession& BurnerSession::instance()
{
    static BurnerSession session;
    return session;
}

int32_t BurnerSession::setExpectedVersion(int32_t version)
{
    m_expectedVersion = version;
    return version <= VARDA_API_VERSION ? 0 : 1;
}

int32_t BurnerSession::init(const VardaBurnSettings* settings)
{
    m_settings = settings ? *settings : VardaBurnSettings{};
    m_lastError.clear();
    return 0;
}

VardaDriveEntry BurnerSession::imageRecorderEntry()
{
    VardaDriveEntry e{};
    copyBounded(e.name, sizeof e.name, ImageRecorder::kName);
    copyBounded(e.address, sizeof e.address, ImageRecorder::kAddress);
    e.capabilities = VARDA_CAP_WRITE_CDR | VARDA_CAP_AUDIO | VARDA_CAP_SIMULATE | VARDA_CAP_CDTEXT | VARDA_CAP_IMAGE;
    e.speedCount = 0; // writes as fast as the disk allows
    return e;
}

VardaDriveTable* BurnerSession::availableDrives()
{
    std::vector<VardaDriveEntry> entries = LibburnDrives::scan();
    entries.push_back(imageRecorderEntry());
    const size_t bytes = offsetof(VardaDriveTable, entries) + entries.size() * sizeof(VardaDriveEntry);
    auto* table = static_cast<VardaDriveTable*>(std::calloc(1, bytes));
    if (!table) {
        fail("Out of memory.");
        return nullptr;
    }
    table->count = int32_t(entries.size());
    std::memcpy(table->entries, entries.data(), entries.size() * sizeof(VardaDriveEntry));
    m_tables.push_back(table);
    return table;
}

void BurnerSession::freeMemory(void* memory)
{
    auto it = std::find(m_tables.begin(), m_tables.end(), memory);
    if (it == m_tables.end())
        return;
    std::free(*it);
    m_tables.erase(it);
}

void* BurnerSession::openDevice(const VardaDriveEntry* drive)
{
    if (!drive) {
        fail("No drive was given.");
        return nullptr;
    }
    char address[VARDA_DRIVE_ADDRESS_SIZE];
    std::memcpy(address, drive->address, sizeof address);
    address[sizeof address - 1] = '\0';
    std::unique_ptr<BurnDevice> device;
    if (std::strcmp(address, ImageRecorder::kAddress) == 0) {
        device = std::make_unique<ImageRecorder>();
    } else {
        std::string error;
        device = LibburnDrives::open(address, error);
        if (!device) {
            fail(error);
            return nullptr;
        }
    }
    m_devices.push_back(std::move(device));
    return m_devices.back().get();
}

BurnDevice* BurnerSession::find(void* device) const
{
    for (const auto& d : m_devices)
        if (d.get() == device)
            return d.get();
    return nullptr;
}

void BurnerSession::closeDevice(void* device)
{
    std::erase_if(m_devices, [device](const auto& d) { return d.get() == device; });
}

int32_t BurnerSession::fail(std::string text)
{
    m_lastError = std::move(text);
    return 1;
}

int32_t BurnerSession::burn(void* handle, const VardaDisc* disc, uint32_t flags, int32_t speed,
                            const VardaProgress* progress)
{
    m_lastError.clear();
    BurnDevice* device = find(handle);
    if (!device)
        return fail("The device is not open.");
    if (!disc || disc->mediaType != VARDA_MEDIA_AUDIO_CD)
        return fail("Only Audio CDs can be written.");
    DiscLayout layout;
    if (std::string error = buildLayout(*disc, layout); !error.empty())
        return fail(error);
    BurnCallbacks callbacks(m_settings, progress);
    if (layout.totalBlocks() > device->capacityBlocks() &&
        callbacks.ask(VARDA_REQUEST_MEDIUM_TOO_SMALL, nullptr, VARDA_ANSWER_NO) != VARDA_ANSWER_OK)
        return fail("The disc does not fit on the medium.");
    std::string error;
    if (!device->burn(layout, flags, speed, callbacks, error))
        return fail(error.empty() ? "The burn failed." : error);
    return 0;
}

int32_t BurnerSession::erasingTime(void* handle, int32_t method)
{
    BurnDevice* device = find(handle);
    return device ? device->erasingTime(method) : VARDA_ERASE_NO_CDRW;
}

int32_t BurnerSession::erase(void* handle, int32_t method)
{
    BurnDevice* device = find(handle);
    std::string error = "The device is not open.";
    if (device && device->erase(method, error))
        return 0;
    fail(error);
    return -1;
}

int32_t BurnerSession::mediumCapacity(void* handle)
{
    BurnDevice* device = find(handle);
    return device ? int32_t(std::min<int64_t>(device->capacityBlocks(), INT32_MAX)) : -1;
}

int32_t BurnerSession::done()
{
    m_devices.clear();
    for (VardaDriveTable* t : m_tables)
        std::free(t);
    m_tables.clear();
    m_settings = VardaBurnSettings{};
    return 0;
}

} // namespace varda
