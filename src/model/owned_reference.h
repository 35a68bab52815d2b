#pragma once
// Reading an object reference into a list that owns its objects (a track's clips and
// curves). The project format could refer to an object written before, but nothing
// ever writes an owned object twice: such a reference in a file would make two owners
// of one object, so it is refused as a bad index before the object is handed out.

#include "base/archive.h"

#include <cstdint>

namespace quillon {

template <class T>
T* readOwnedObjectAs(CArchive& ar)
{
    MemoryStream& stream = ar.stream();
    const size_t at = stream.position();
    const uint16_t tag = ar.readU16();
    bool earlierObject = tag != 0x0000 && tag != 0xFFFF && !(tag & 0x8000);
    if (tag == 0x7FFF)
        earlierObject = !(ar.readU32() & 0x80000000u);
    if (earlierObject)
        throw ArchiveException(ArchiveException::Kind::BadIndex, std::string(T::staticClass().name) + " stored twice");
    stream.seek(at);
    return ar.readObjectAs<T>();
}

} // namespace quillon
