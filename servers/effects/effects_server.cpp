// The server's two exports: it offers every shipped effect under the effect interface,
// in a fixed order (new effects are appended so that global indices stay stable).

#include "click_reduction.h"
#include "compressor.h"
#include "equalizer.h"
#include "gain_balance.h"
#include "limiter.h"
#include "noise_reduction.h"
#include "reverb.h"
#include "stereo_delay.h"

#include <server_entry.h>

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
    &make<quillon::fx::NoiseReduction>, &make<quillon::fx::ClickReduction>,
};
constexpr uint32_t kEffectCount = sizeof(kFactories) / sizeof(kFactories[0]);

bool create(uint32_t localIndex, QuillonInterface* out)
{
    if (localIndex >= kEffectCount)
        return false;
    std::unique_ptr<Effect> effect(kFactories[localIndex]());
    if (!effect || !effect->initialise())
        return false;
    *out = quillon::server::makeRecord(std::move(effect), kEffectId);
    return true;
}

constexpr quillon::server::ClassEntry kClasses[] = {{kEffectId, kEffectCount, &create}};

} // namespace

extern "C" QUILLON_EXPORT uint32_t ccGetMatchCount(QuillonIdentifier id)
{
    return quillon::server::matchCount(kClasses, id);
}

extern "C" QUILLON_EXPORT int32_t ccCreateInterfaces(QuillonIdentifier id, uint32_t localIndex, QuillonInterface* out)
{
    return quillon::server::createInterface(kClasses, id, localIndex, out);
}
