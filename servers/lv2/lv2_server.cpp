// The server's two exports: every LV2 plug-in the world could host, as an effect. The
// world is scanned once, on the first question after the server is loaded.

#include "lv2_effect.h"
#include "lv2_world.h"

#include <server_entry.h>

#include <quillon/plugin_abi.h>

#include <memory>
#include <new>

namespace {

constexpr QuillonIdentifier kEffectId = QUILLON_IID_EFFECT;

bool create(uint32_t localIndex, QuillonInterface* out)
{
    quillon::lv2::Lv2World& world = quillon::lv2::Lv2World::instance();
    if (localIndex >= world.plugins().size())
        return false;
    auto effect = std::make_unique<quillon::lv2::Lv2Effect>(world, world.plugins()[localIndex]);
    *out = quillon::server::makeRecord(std::move(effect), kEffectId);
    return true;
}

} // namespace

extern "C" QUILLON_EXPORT uint32_t ccGetMatchCount(QuillonIdentifier id)
{
    try {
        const quillon::server::ClassEntry classes[] = {
            {kEffectId, uint32_t(quillon::lv2::Lv2World::instance().plugins().size()), &create}};
        return quillon::server::matchCount(classes, id);
    } catch (...) {
        return 0;
    }
}

extern "C" QUILLON_EXPORT int32_t ccCreateInterfaces(QuillonIdentifier id, uint32_t localIndex, QuillonInterface* out)
{
    try {
        const quillon::server::ClassEntry classes[] = {
            {kEffectId, uint32_t(quillon::lv2::Lv2World::instance().plugins().size()), &create}};
        return quillon::server::createInterface(classes, id, localIndex, out);
    } catch (...) {
        return 0;
    }
}
