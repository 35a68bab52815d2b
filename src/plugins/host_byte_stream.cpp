#include "plugins/host_byte_stream.h"

#include <limits>

namespace quillon {

namespace {

constexpr QuillonIdentifier kByteStreamId = QUILLON_IID_BYTE_STREAM;

template <class P>
P* paramAs(void* param, uint32_t size)
{
    return (param && size == sizeof(P)) ? static_cast<P*>(param) : nullptr;
}

} // namespace

QuillonInterface HostByteStream::record() { return makeRecord(kByteStreamId); }

int32_t HostByteStream::onCommand(uint32_t code, void* param, uint32_t size)
{
    switch (code) {
    case QUILLON_STREAM_READ:
    case QUILLON_STREAM_WRITE: {
        auto* p = paramAs<QuillonStreamTransfer>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        p->done = 0;
        if (p->size > 0 && !p->data)
            return QUILLON_E_BAD_PARAM;
        if (code == QUILLON_STREAM_READ) {
            p->done = static_cast<uint32_t>(m_stream.read(p->data, p->size));
        } else {
            m_stream.write(p->data, p->size);
            p->done = p->size;
        }
        return 0;
    }
    case QUILLON_STREAM_SEEK: {
        auto* p = paramAs<QuillonStreamSeek>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        int64_t base = 0;
        switch (p->origin) {
        case QUILLON_SEEK_BEGIN: base = 0; break;
        case QUILLON_SEEK_CURRENT: base = static_cast<int64_t>(m_stream.position()); break;
        case QUILLON_SEEK_END: base = static_cast<int64_t>(m_stream.size()); break;
        default: return QUILLON_E_BAD_PARAM;
        }
        if ((p->offset < 0 && base + p->offset < 0) ||
            (p->offset > 0 && p->offset > std::numeric_limits<int64_t>::max() - base))
            return QUILLON_E_BAD_PARAM;
        // Beyond the end the position stops at the end, as the memory stream does.
        m_stream.seek(static_cast<size_t>(base + p->offset));
        p->position = m_stream.position();
        return 0;
    }
    case QUILLON_STREAM_LENGTH: {
        auto* p = paramAs<QuillonStreamLength>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        p->length = m_stream.size();
        return 0;
    }
    default:
        return QUILLON_E_UNKNOWN_COMMAND;
    }
}

} // namespace quillon
