#pragma once
// Base of the host's own objects that plug-ins reach through an interface record
// (clip notification sink, audio block, byte stream). The record's command entry
// forwards to onCommand; the release entry destroys the object when the record owns it.

#include <quillon/plugin_abi.h>

namespace quillon {

class HostInterface {
public:
    virtual ~HostInterface() = default;

    // A record that forwards to this object; with `owned` its release entry deletes it.
    QuillonInterface makeRecord(const QuillonIdentifier& id, bool owned = false);

protected:
    virtual int32_t onCommand(uint32_t code, void* param, uint32_t size) = 0;

private:
    static int32_t commandEntry(QuillonInterface* self, uint32_t code, void* param, uint32_t size);
    static void releaseEntry(QuillonInterface* self);
};

} // namespace quillon
