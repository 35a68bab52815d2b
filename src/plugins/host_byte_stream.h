#pragma once
// A memory stream lent to a plug-in through a byte-stream record, for saving and
// restoring its state (commands 124 and 123). One thread.

#include "base/memory_stream.h"
#include "plugins/host_interface.h"

namespace quillon {

class HostByteStream : public HostInterface {
public:
    explicit HostByteStream(MemoryStream& stream) : m_stream(stream) {}

    // The record to hand to the plug-in; valid while this object lives.
    QuillonInterface record();
    MemoryStream& stream() { return m_stream; }

protected:
    int32_t onCommand(uint32_t code, void* param, uint32_t size) override;

private:
    MemoryStream& m_stream;
};

} // namespace quillon
