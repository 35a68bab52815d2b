#include "plugins/host_interface.h"

namespace quillon {

QuillonInterface HostInterface::makeRecord(const QuillonIdentifier& id, bool owned)
{
    QuillonInterface r{};
    r.instance = this;
    r.id = id;
    r.command = &HostInterface::commandEntry;
    r.release = owned ? &HostInterface::releaseEntry : nullptr;
    return r;
}

int32_t HostInterface::commandEntry(QuillonInterface* self, uint32_t code, void* param, uint32_t size)
{
    if (!self || !self->instance)
        return QUILLON_E_BAD_HANDLE;
    try {
        return static_cast<HostInterface*>(self->instance)->onCommand(code, param, size);
    } catch (...) {
        // Exceptions must not cross into a plug-in.
        return QUILLON_E_FAIL;
    }
}

void HostInterface::releaseEntry(QuillonInterface* self)
{
    if (self && self->instance) {
        delete static_cast<HostInterface*>(self->instance);
        self->instance = nullptr;
    }
}

} // namespace quillon
