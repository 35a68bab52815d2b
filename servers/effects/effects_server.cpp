// The server's two exports: it offers every shipped effect under the effect interface,
// in a fixed order (new effects are appended so that global indices stay stable).

#include "compressor.h"
#include "equalizer.h"
#include "gain_balance.h"
#include "limiter.h"
#include "reverb.h"
#include "stereo_delay.h"

#include <quillon/plugin_abi.h>

#include <memory>
#include <new>

namespace {

using quillon::fx::Effect;

constexpr QuillonIdentifier kEffectId = QUILLON_IID_EFFECT;

template <class T>
Effect* make()
{
    return new (std::nothrow) T;
}

Effect* (*const kFactories[])() = {
    &make<quillon::fx::GainBalance>, &make<quillon::fx::Equalizer>,   &make<quillon::fx::Compressor>,
    &make<quillon::fx::Limiter>,     &make<quillon::fx::StereoDelay>, &make<quillon::fx::Reverb>,
};
constexpr uint32_t kEffectCount = sizeof(kFactories) / sizeof(kFactories[0]);

int32_t commandEntry(QuillonInterface* self, uint32_t code, void* param, uint32_t size)
{
    if (!self || !self->instance)
        return QUILLON_E_BAD_HANDLE;
    try {
        return static_cast<Effect*>(self->instance)->command(code, param, size);
    } catch (const std::bad_alloc&) {
        return QUILLON_E_FAIL;
    } catch (...) {
        // Nothing may unwind into the host.
        return QUILLON_E_FAIL;
    }
}

void releaseEntry(QuillonInterface* self)
{
    if (self && self->instance) {
        delete static_cast<Effect*>(self->instance);
        self->instance = nullptr;
    }
}

} // namespace

extern "C" QUILLON_EXPORT uint32_t ccGetMatchCount(QuillonIdentifier id)
{
    return quillon::fx::sameIdentifier(id, kEffectId) ? kEffectCount : 0;
}

extern "C" QUILLON_EXPORT int32_t ccCreateInterfaces(QuillonIdentifier id, uint32_t localIndex, QuillonInterface* out)
{
    if (!out || !quillon::fx::sameIdentifier(id, kEffectId) || localIndex >= kEffectCount)
        return 0;
    std::unique_ptr<Effect> effect;
    try {
        effect.reset(kFactories[localIndex]());
        if (!effect || !effect->initialise())
            return 0;
    } catch (...) {
        return 0;
    }
    out->instance = effect.release();
    out->id = id;
    out->command = &commandEntry;
    out->release = &releaseEntry;
    return 1;
}
