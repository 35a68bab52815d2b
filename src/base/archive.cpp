#include "base/archive.h"

#include "base/text_encoding.h"

#include <bit>
#include <cstring>
#include <memory>

namespace quillon {

namespace {
constexpr uint16_t kNullTag = 0x0000;
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint32_t kBigClassTag = 0x80000000u;
constexpr uint16_t kWideStringMark = 0xFFFE;
constexpr uint16_t kLongStringMark = 0xFFFF;
constexpr size_t kMaxClassName = 255;

static_assert(std::endian::native == std::endian::little, "archives are written little-endian");

using Kind = ArchiveException::Kind;
} // namespace

CArchive::CArchive(MemoryStream& stream, Mode mode) : m_stream(stream), m_mode(mode)
{
    if (mode == Mode::Load)
        m_loadMap.push_back({});
}

void CArchive::writeU8(uint8_t v) { m_stream.write(&v, 1); }
void CArchive::writeU16(uint16_t v) { m_stream.write(&v, 2); }
void CArchive::writeU32(uint32_t v) { m_stream.write(&v, 4); }
void CArchive::writeFloat(float v) { m_stream.write(&v, 4); }
void CArchive::writeBytes(const void* data, size_t size) { m_stream.write(data, size); }

void CArchive::readBytes(void* data, size_t size)
{
    if (m_stream.read(data, size) != size)
        throw ArchiveException(Kind::EndOfFile);
}

uint8_t CArchive::readU8()
{
    uint8_t v;
    readBytes(&v, 1);
    return v;
}

uint16_t CArchive::readU16()
{
    uint16_t v;
    readBytes(&v, 2);
    return v;
}

uint32_t CArchive::readU32()
{
    uint32_t v;
    readBytes(&v, 4);
    return v;
}

float CArchive::readFloat()
{
    float v;
    readBytes(&v, 4);
    return v;
}

void CArchive::writeLengthPrefix(uint32_t length)
{
    if (length < 0xFF) {
        writeU8(static_cast<uint8_t>(length));
    } else if (length < kWideStringMark) {
        writeU8(0xFF);
        writeU16(static_cast<uint16_t>(length));
    } else {
        writeU8(0xFF);
        writeU16(kLongStringMark);
        writeU32(length);
    }
}

uint32_t CArchive::readLengthPrefix(bool& wide)
{
    uint8_t b = readU8();
    if (b < 0xFF)
        return b;
    uint16_t w = readU16();
    if (w == kWideStringMark) {
        wide = true;
        bool nested = false;
        uint32_t length = readLengthPrefix(nested);
        if (nested)
            throw ArchiveException(Kind::Generic, "malformed string length");
        return length;
    }
    if (w == kLongStringMark)
        return readU32();
    return w;
}

void CArchive::writeString(const std::string& text)
{
    if (auto ansi = text::utf8ToCp1252(text)) {
        writeLengthPrefix(static_cast<uint32_t>(ansi->size()));
        writeBytes(ansi->data(), ansi->size());
        return;
    }
    // The code page cannot hold every character: keep them all in the 16-bit form.
    std::u16string wide = text::utf8ToUtf16(text);
    writeU8(0xFF);
    writeU16(kWideStringMark);
    writeLengthPrefix(static_cast<uint32_t>(wide.size()));
    for (char16_t c : wide)
        writeU16(static_cast<uint16_t>(c));
}

std::string CArchive::readString()
{
    bool wide = false;
    uint32_t length = readLengthPrefix(wide);
    const size_t bytes = wide ? size_t(length) * 2 : length;
    if (bytes > m_stream.remaining())
        throw ArchiveException(Kind::EndOfFile);
    if (wide) {
        std::u16string chars(length, u'\0');
        for (auto& c : chars)
            c = static_cast<char16_t>(readU16());
        return text::utf16ToUtf8(chars);
    }
    std::string raw(length, '\0');
    readBytes(raw.data(), length);
    return text::cp1252ToUtf8(raw);
}

void CArchive::writeIndexTag(uint32_t index, bool isClass)
{
    if (index < kBigObjectTag) {
        writeU16(static_cast<uint16_t>(isClass ? (kClassTag | index) : index));
    } else {
        writeU16(kBigObjectTag);
        writeU32(isClass ? (kBigClassTag | index) : index);
    }
}

void CArchive::writeObject(const CObject* object)
{
    if (!object) {
        writeU16(kNullTag);
        return;
    }
    if (auto it = m_storeMap.find(object); it != m_storeMap.end()) {
        writeIndexTag(it->second, false);
        return;
    }
    const ClassInfo& cls = object->getClass();
    if (auto it = m_storeMap.find(&cls); it != m_storeMap.end()) {
        writeIndexTag(it->second, true);
    } else {
        writeU16(kNewClassTag);
        writeU16(cls.schema);
        const size_t len = std::strlen(cls.name);
        writeU16(static_cast<uint16_t>(len));
        writeBytes(cls.name, len);
        m_storeMap[&cls] = m_nextIndex++;
    }
    // The object takes its index before its fields, so nested objects follow it.
    m_storeMap[object] = m_nextIndex++;
    const_cast<CObject*>(object)->serialize(*this);
}

CObject* CArchive::readObject(const ClassInfo* expected)
{
    const ClassInfo* cls = nullptr;
    uint16_t tag = readU16();
    uint32_t index = 0;
    bool isClass = false;

    if (tag == kNullTag)
        return nullptr;
    if (tag == kBigObjectTag) {
        uint32_t big = readU32();
        isClass = (big & kBigClassTag) != 0;
        index = big & ~kBigClassTag;
    } else if (tag == kNewClassTag) {
        uint16_t schema = readU16();
        uint16_t len = readU16();
        if (len == 0 || len > kMaxClassName)
            throw ArchiveException(Kind::BadClass, "malformed class record");
        std::string name(len, '\0');
        readBytes(name.data(), len);
        cls = ClassRegistry::find(name);
        if (!cls)
            throw ArchiveException(Kind::BadClass, "unknown class \"" + name + "\"");
        if (schema != cls->schema)
            throw ArchiveException(Kind::BadSchema, "class \"" + name + "\" has schema " + std::to_string(schema));
        m_loadMap.push_back({cls, nullptr});
    } else if (tag & kClassTag) {
        isClass = true;
        index = tag & ~kClassTag;
    } else {
        index = tag;
    }

    if (!cls) {
        if (index == 0 || index >= m_loadMap.size())
            throw ArchiveException(Kind::BadIndex);
        const LoadEntry& entry = m_loadMap[index];
        if (isClass) {
            if (!entry.cls)
                throw ArchiveException(Kind::BadIndex);
            cls = entry.cls;
        } else {
            if (!entry.object)
                throw ArchiveException(Kind::BadIndex);
            if (expected && !entry.object->isKindOf(*expected))
                throw ArchiveException(Kind::BadClass, std::string("expected ") + expected->name);
            return entry.object;
        }
    }

    if (expected && !cls->isDerivedFrom(*expected))
        throw ArchiveException(Kind::BadClass,
                               std::string("expected ") + expected->name + ", found " + cls->name);

    std::unique_ptr<CObject> object(cls->create());
    m_loadMap.push_back({nullptr, object.get()});
    object->serialize(*this);
    return object.release();
}

} // namespace quillon
