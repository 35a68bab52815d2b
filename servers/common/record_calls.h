#pragma once
// Small helpers every server uses when it talks to the host's records: checked parameter
// blocks, calls through a record's command entry, exact stream transfers and texts
// copied into the host's buffers.

#include <quillon/plugin_abi.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace quillon::server {

// The parameter block as P, or null when its size says it is something else.
template <class P>
P* paramAs(void* param, uint32_t size)
{
    return (param && size == sizeof(P)) ? static_cast<P*>(param) : nullptr;
}

inline int32_t callRecord(QuillonInterface& record, uint32_t code, void* param, uint32_t size)
{
    if (!record.command)
        return QUILLON_E_BAD_HANDLE;
    return record.command(&record, code, param, size);
}

// Reads exactly `size` bytes; false at the end of the stream.
inline bool readExactly(QuillonInterface& stream, void* data, uint32_t size)
{
    QuillonStreamTransfer t{data, size, 0};
    return callRecord(stream, QUILLON_STREAM_READ, &t, sizeof(t)) == 0 && t.done == size;
}

inline bool writeExactly(QuillonInterface& stream, const void* data, uint32_t size)
{
    QuillonStreamTransfer t{const_cast<void*>(data), size, 0};
    return callRecord(stream, QUILLON_STREAM_WRITE, &t, sizeof(t)) == 0 && t.done == size;
}

// Copies as much of `text` as fits, always terminated; `written` gets the bytes copied.
inline int32_t copyText(std::string_view text, char* buffer, uint32_t size, uint32_t* written = nullptr)
{
    if (!buffer || size == 0)
        return QUILLON_E_BAD_PARAM;
    const size_t n = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    if (written)
        *written = static_cast<uint32_t>(n);
    return 0;
}

} // namespace quillon::server
