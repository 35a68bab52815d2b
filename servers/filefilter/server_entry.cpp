// The two exports of the file-filter server: one implementation of the audio file filter.

#include "filter_instance.h"

#include <quillon/plugin_abi.h>

#include <cstring>
#include <new>

namespace {

using quillon::filefilter::FilterInstance;

constexpr QuillonIdentifier kFileFilterId = QUILLON_IID_FILE_FILTER;

bool isFileFilter(const QuillonIdentifier& id) { return std::memcmp(id.words, kFileFilterId.words, sizeof id.words) == 0; }

int32_t commandEntry(QuillonInterface* self, uint32_t code, void* param, uint32_t size)
{
    if (!self || !self->instance)
        return QUILLON_E_BAD_HANDLE;
    return static_cast<FilterInstance*>(self->instance)->command(code, param, size);
}

void releaseEntry(QuillonInterface* self)
{
    if (self && self->instance) {
        delete static_cast<FilterInstance*>(self->instance);
        self->instance = nullptr;
    }
}

} // namespace

extern "C" QUILLON_EXPORT uint32_t ccGetMatchCount(QuillonIdentifier id) { return isFileFilter(id) ? 1 : 0; }

extern "C" QUILLON_EXPORT int32_t ccCreateInterfaces(QuillonIdentifier id, uint32_t localIndex, QuillonInterface* out)
{
    if (!out || !isFileFilter(id) || localIndex != 0)
        return 0;
    auto* instance = new (std::nothrow) FilterInstance;
    if (!instance)
        return 0;
    out->instance = instance;
    out->id = id;
    out->command = &commandEntry;
    out->release = &releaseEntry;
    return 1;
}
