// The two exports of the file-filter server: the audio file filter and its manager.

#include "filter_instance.h"
#include "filter_manager.h"

#include <quillon/plugin_abi.h>

#include <cstring>
#include <memory>
#include <new>

namespace {

using quillon::filefilter::FilterInstance;
using quillon::filefilter::FilterManager;

constexpr QuillonIdentifier kFileFilterId = QUILLON_IID_FILE_FILTER;
constexpr QuillonIdentifier kManagerId = QUILLON_IID_FILE_FILTER_MANAGER;

bool sameId(const QuillonIdentifier& a, const QuillonIdentifier& b)
{
    return std::memcmp(a.words, b.words, sizeof a.words) == 0;
}

int32_t managerCommand(QuillonInterface* self, uint32_t code, void* param, uint32_t size)
{
    if (!self || !self->instance)
        return QUILLON_E_BAD_HANDLE;
    return static_cast<FilterManager*>(self->instance)->command(code, param, size);
}

void managerRelease(QuillonInterface* self)
{
    if (self && self->instance) {
        delete static_cast<FilterManager*>(self->instance);
        self->instance = nullptr;
    }
}

} // namespace

extern "C" QUILLON_EXPORT uint32_t ccGetMatchCount(QuillonIdentifier id)
{
    return sameId(id, kFileFilterId) || sameId(id, kManagerId) ? 1 : 0;
}

extern "C" QUILLON_EXPORT int32_t ccCreateInterfaces(QuillonIdentifier id, uint32_t localIndex, QuillonInterface* out)
{
    if (!out || localIndex != 0)
        return 0;
    if (sameId(id, kFileFilterId)) {
        std::unique_ptr<FilterInstance> instance(new (std::nothrow) FilterInstance);
        if (!instance)
            return 0;
        *out = FilterInstance::makeRecord(std::move(instance));
        return 1;
    }
    if (sameId(id, kManagerId)) {
        auto* manager = new (std::nothrow) FilterManager;
        if (!manager)
            return 0;
        out->instance = manager;
        out->id = id;
        out->command = &managerCommand;
        out->release = &managerRelease;
        return 1;
    }
    return 0;
}
