#pragma once
// The exports and interface records every server needs, written once.
//
// A server lists the classes it offers (interface identifier, how many, how to create the
// one at a local index) and forwards its two exports to matchCount() and
// createInterface(). Its objects go out as records made by makeRecord(), whose command
// entry forwards to the object's command() and keeps every exception inside the server,
// and whose release entry deletes the object.

#include <quillon/plugin_abi.h>

#include <cstdint>
#include <memory>
#include <new>
#include <span>

namespace quillon::server {

bool sameIdentifier(const QuillonIdentifier& a, const QuillonIdentifier& b);

struct ClassEntry {
    QuillonIdentifier id;
    uint32_t count; // local indices 0 .. count - 1
    // Fills `out` with a new object's record; false when it cannot be created.
    bool (*create)(uint32_t localIndex, QuillonInterface* out);
};

// How many classes of `id` the table offers.
uint32_t matchCount(std::span<const ClassEntry> classes, const QuillonIdentifier& id);
// 1 with `out` filled, 0 when there is no such class or creating it failed.
int32_t createInterface(std::span<const ClassEntry> classes, const QuillonIdentifier& id, uint32_t localIndex,
                        QuillonInterface* out);

template <class T>
int32_t dispatch(QuillonInterface* self, uint32_t code, void* param, uint32_t size)
{
    if (!self || !self->instance)
        return QUILLON_E_BAD_HANDLE;
    try {
        return static_cast<T*>(self->instance)->command(code, param, size);
    } catch (...) {
        // Nothing may unwind into the host.
        return QUILLON_E_FAIL;
    }
}

template <class T>
void release(QuillonInterface* self)
{
    if (self && self->instance) {
        delete static_cast<T*>(self->instance);
        self->instance = nullptr;
    }
}

template <class T>
QuillonInterface makeRecord(std::unique_ptr<T> object, const QuillonIdentifier& id)
{
    QuillonInterface record{};
    record.id = id;
    record.instance = object.release();
    record.command = &dispatch<T>;
    record.release = &release<T>;
    return record;
}

} // namespace quillon::server
