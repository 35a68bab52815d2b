#pragma once
// The effect commands every effect server answers in the same way, for any effect class
// E that offers (privately, with this function as a friend, or publicly):
//   int32_t setFormat(uint32_t rate, uint32_t channels);
//   int32_t processBlock(QuillonInterface& block);
//   void selectVariant(int32_t variant);
//   int32_t loadState(QuillonInterface& stream);  int32_t saveState(QuillonInterface& stream);
//   uint32_t latency();
//   std::string_view effectName();  std::string_view menuLines();  QuillonIdentifier identity();
//   uint32_t parameterCount();  ParameterDescription describeParameter(uint32_t index);
//   float parameter(uint32_t index);  bool setParameter(uint32_t index, float value);
// Indices are checked here; the effect never sees one out of range.

#include <quillon/plugin_abi.h>
#include <record_calls.h>

#include <cstdint>
#include <string_view>

namespace quillon::server {

struct ParameterDescription {
    std::string_view name;
    std::string_view unit;
    float minimum;
    float maximum;
    float defaultValue;
    uint32_t kind; // QUILLON_FX_PARAM_*
};

template <class E>
int32_t effectCommand(E& fx, uint32_t code, void* param, uint32_t size)
{
    switch (code) {
    case QUILLON_FX_SET_FORMAT: {
        auto* p = paramAs<QuillonFxFormat>(param, size);
        return p ? fx.setFormat(p->sampleRate, p->channels) : QUILLON_E_BAD_SIZE;
    }
    case QUILLON_FX_PROCESS: {
        auto* p = paramAs<QuillonFxProcess>(param, size);
        return p ? fx.processBlock(p->block) : QUILLON_E_BAD_SIZE;
    }
    case QUILLON_FX_SET_VALUE: {
        auto* p = paramAs<QuillonFxSetValue>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        fx.selectVariant(p->value);
        return 0;
    }
    case QUILLON_FX_HAS_EDITOR: {
        auto* p = paramAs<QuillonFxHasEditor>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        // The host builds a generic editor from the parameter descriptions.
        p->hasEditor = 0;
        return 0;
    }
    case QUILLON_FX_LOAD_STATE: {
        auto* p = paramAs<QuillonFxStream>(param, size);
        return p ? fx.loadState(p->stream) : QUILLON_E_BAD_SIZE;
    }
    case QUILLON_FX_SAVE_STATE: {
        auto* p = paramAs<QuillonFxStream>(param, size);
        return p ? fx.saveState(p->stream) : QUILLON_E_BAD_SIZE;
    }
    case QUILLON_FX_LATENCY: {
        auto* p = paramAs<QuillonFxLatency>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        p->frames = fx.latency();
        return 0;
    }
    case QUILLON_FX_LENGTH_FACTOR: {
        auto* p = paramAs<QuillonFxLengthFactor>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        p->factor = 1.0;
        return 0;
    }
    case QUILLON_FX_NAME: {
        auto* p = paramAs<QuillonFxText>(param, size);
        return p ? copyText(fx.effectName(), p->buffer, p->size) : QUILLON_E_BAD_SIZE;
    }
    case QUILLON_FX_MENU_LIST: {
        auto* p = paramAs<QuillonFxMenuList>(param, size);
        return p ? copyText(fx.menuLines(), p->buffer, p->size, &p->length) : QUILLON_E_BAD_SIZE;
    }
    case QUILLON_FX_SET_PARAMETER: {
        auto* p = paramAs<QuillonFxParameter>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        return fx.setParameter(p->index, p->value) ? 0 : QUILLON_E_BAD_PARAM;
    }
    case QUILLON_FX_GET_PARAMETER: {
        auto* p = paramAs<QuillonFxParameter>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        if (p->index >= fx.parameterCount())
            return QUILLON_E_BAD_PARAM;
        p->value = fx.parameter(p->index);
        return 0;
    }
    case QUILLON_FX_IDENTITY: {
        auto* p = paramAs<QuillonFxIdentity>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        p->identity = fx.identity();
        return 0;
    }
    case QUILLON_FX_PARAMETER_COUNT: {
        auto* p = paramAs<QuillonFxParameterCount>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        p->count = fx.parameterCount();
        return 0;
    }
    case QUILLON_FX_PARAMETER_NAME:
    case QUILLON_FX_PARAMETER_UNIT: {
        auto* p = paramAs<QuillonFxParameterText>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        if (p->index >= fx.parameterCount())
            return QUILLON_E_BAD_PARAM;
        const ParameterDescription d = fx.describeParameter(p->index);
        return copyText(code == QUILLON_FX_PARAMETER_NAME ? d.name : d.unit, p->buffer, p->size);
    }
    case QUILLON_FX_PARAMETER_RANGE: {
        auto* p = paramAs<QuillonFxParameterRange>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        if (p->index >= fx.parameterCount())
            return QUILLON_E_BAD_PARAM;
        const ParameterDescription d = fx.describeParameter(p->index);
        p->minimum = d.minimum;
        p->maximum = d.maximum;
        p->defaultValue = d.defaultValue;
        p->kind = d.kind;
        return 0;
    }
    default:
        return QUILLON_E_UNKNOWN_COMMAND;
    }
}

} // namespace quillon::server
