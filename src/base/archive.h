#pragma once
// The object archive of project files, undo snapshots and the clip clipboard:
// little-endian primitives without padding, length-prefixed strings, and object
// references with one class/object map shared by the whole stream.
//
// One archive is used by one thread at a time.

#include "base/archive_exception.h"
#include "base/memory_stream.h"
#include "base/serializable.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace quillon {

class CArchive {
public:
    enum class Mode { Store, Load };

    CArchive(MemoryStream& stream, Mode mode);

    bool isStoring() const { return m_mode == Mode::Store; }
    bool isLoading() const { return m_mode == Mode::Load; }
    MemoryStream& stream() { return m_stream; }

    void writeU8(uint8_t v);
    void writeU16(uint16_t v);
    void writeU32(uint32_t v);
    void writeI32(int32_t v) { writeU32(static_cast<uint32_t>(v)); }
    void writeFloat(float v);
    void writeBool(bool v) { writeU8(v ? 1 : 0); }
    void writeBytes(const void* data, size_t size);
    // UTF-8 text; stored in Windows-1252, or in the 16-bit character form when the
    // code page cannot hold it.
    void writeString(const std::string& text);

    uint8_t readU8();
    uint16_t readU16();
    uint32_t readU32();
    int32_t readI32() { return static_cast<int32_t>(readU32()); }
    float readFloat();
    bool readBool() { return readU8() != 0; }
    // Fewer bytes than asked for is an end-of-file error.
    void readBytes(void* data, size_t size);
    std::string readString();

    // Writes a reference: null, an object already written, or a new object with its
    // class record (first time) or class index.
    void writeObject(const CObject* object);
    // Reads a reference; when `expected` is given the object must be of that class
    // (or derived from it). A new object belongs to the caller.
    CObject* readObject(const ClassInfo* expected = nullptr);

    template <class T>
    T* readObjectAs()
    {
        return static_cast<T*>(readObject(&T::staticClass()));
    }

private:
    void writeLengthPrefix(uint32_t length);
    uint32_t readLengthPrefix(bool& wide);
    void writeIndexTag(uint32_t index, bool isClass);

    struct LoadEntry {
        const ClassInfo* cls = nullptr; // set for class entries
        CObject* object = nullptr;      // set for object entries
    };

    MemoryStream& m_stream;
    Mode m_mode;
    uint32_t m_nextIndex = 1;
    std::unordered_map<const void*, uint32_t> m_storeMap; // objects and ClassInfo records
    std::vector<LoadEntry> m_loadMap;                      // index 0 stands for "no object"
};

} // namespace quillon
