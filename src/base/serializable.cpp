#include "base/serializable.h"

#include <map>
#include <mutex>

namespace quillon {

bool ClassInfo::isDerivedFrom(const ClassInfo& other) const
{
    for (const ClassInfo* c = this; c; c = c->base)
        if (c == &other)
            return true;
    return false;
}

namespace {
struct Registry {
    std::mutex mutex;
    std::map<std::string, const ClassInfo*> classes;
};
Registry& registry()
{
    static Registry r;
    return r;
}
} // namespace

bool ClassRegistry::add(const ClassInfo& info)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.classes[info.name] = &info;
    return true;
}

const ClassInfo* ClassRegistry::find(const std::string& name)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.classes.find(name);
    return it == r.classes.end() ? nullptr : it->second;
}

} // namespace quillon
