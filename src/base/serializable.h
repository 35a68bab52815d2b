#pragma once
// Objects that an archive can write and re-create by class name.

#include <cstdint>
#include <string>

namespace quillon {

class CArchive;
class CObject;

struct ClassInfo {
    const char* name;      // stored in the archive, e.g. "CTrack"
    uint16_t schema;       // stored schema number; any other number fails the load
    CObject* (*create)();  // a fresh, default-constructed object
    const ClassInfo* base; // null for direct descendants of CObject

    bool isDerivedFrom(const ClassInfo& other) const;
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const ClassInfo& getClass() const = 0;
    virtual void serialize(CArchive& ar) = 0;

    bool isKindOf(const ClassInfo& info) const { return getClass().isDerivedFrom(info); }
};

// Every class an archive may re-create, by name. Classes register themselves from
// their own source file (QUILLON_IMPLEMENT_SERIAL), which the linker keeps whenever
// the class is used.
class ClassRegistry {
public:
    static bool add(const ClassInfo& info);
    static const ClassInfo* find(const std::string& name);
};

} // namespace quillon

#define QUILLON_DECLARE_SERIAL(Cls)                                              \
public:                                                                          \
    static const ::quillon::ClassInfo& staticClass();                            \
    const ::quillon::ClassInfo& getClass() const override { return staticClass(); }

#define QUILLON_IMPLEMENT_SERIAL(Cls, Schema)                                    \
    const ::quillon::ClassInfo& Cls::staticClass()                               \
    {                                                                            \
        static const ::quillon::ClassInfo info{                                  \
            #Cls, Schema, []() -> ::quillon::CObject* { return new Cls; }, nullptr}; \
        return info;                                                             \
    }                                                                            \
    [[maybe_unused]] static const bool s_registered_##Cls = ::quillon::ClassRegistry::add(Cls::staticClass());
