// The library's exported entry points: plain forwarding into the session, with no
// exception ever crossing into the program.
#include "burner_session.h"
#include <quillon/varda_api.h>
#include <algorithm>

using varda::BurnerSession;

namespace {

template <typename F, typename R>
R guarded(F&& f, R onError)
{
    try {
        return f();
    } catch (...) {
        return onError;
    }
}

} // namespace

extern "C" {

int32_t VardaSetExpectedAPIVersionEx(int32_t a, int32_t b, int32_t c, int32_t d, int32_t)
{
    auto cap = [](int32_t v) { return std::clamp(v, 0, 9); };
    return BurnerSession::instance().setExpectedVersion(cap(d) + 10 * cap(c) + 100 * cap(b) + 1000 * cap(a));
}

int32_t VardaSetExpectedAPIVersion(int32_t version) { return BurnerSession::instance().setExpectedVersion(version); }

int32_t VardaInit(const VardaBurnSettings* settings, int32_t)
{
    return guarded([&] { return BurnerSession::instance().init(settings); }, int32_t(1));
}

int32_t VardaGetAPIVersion(void) { return VARDA_API_VERSION; }

VardaDriveTable* VardaGetAvailableDrives(void)
{
    return guarded([] { return BurnerSession::instance().availableDrives(); }, static_cast<VardaDriveTable*>(nullptr));
}

void* VardaOpenDevice(const VardaDriveEntry* drive)
{
    return guarded([&] { return BurnerSession::instance().openDevice(drive); }, static_cast<void*>(nullptr));
}

int32_t VardaBurn(void* device, int32_t, const VardaDisc* disc, uint32_t flags, int32_t speed,
                  const VardaProgress* progress)
{
    return guarded([&] { return BurnerSession::instance().burn(device, disc, flags, speed, progress); }, int32_t(1));
}

const char* VardaGetLastError(void) { return BurnerSession::instance().lastError(); }

int32_t VardaGetCDRWErasingTime(void* device, int32_t method)
{
    return guarded([&] { return BurnerSession::instance().erasingTime(device, method); }, int32_t(-1));
}

int32_t VardaEraseDisc(void* device, int32_t method, int32_t, int32_t)
{
    return guarded([&] { return BurnerSession::instance().erase(device, method); }, int32_t(-1));
}

void VardaCloseDevice(void* device)
{
    guarded([&] { BurnerSession::instance().closeDevice(device); return 0; }, 0);
}

void VardaFreeMem(void* memory)
{
    guarded([&] { BurnerSession::instance().freeMemory(memory); return 0; }, 0);
}

int32_t VardaDone(void)
{
    return guarded([] { return BurnerSession::instance().done(); }, int32_t(1));
}

int32_t VardaGetMediumCapacity(void* device)
{
    return guarded([&] { return BurnerSession::instance().mediumCapacity(device); }, int32_t(-1));
}

} // extern "C"
