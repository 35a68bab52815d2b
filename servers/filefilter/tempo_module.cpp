#include "tempo_module.h"

#include "helper_module.h"
#include "tempo/tempo_module_abi.h"

#include <string>

namespace quillon::filefilter {

namespace {

size_t readThrough(void* context, int64_t position, float* dest, size_t frames)
{
    return (*static_cast<const TempoModule::SourceRead*>(context))(position, dest, frames);
}

} // namespace

float TempoModule::detect(int channels, int sampleRate, const SourceRead& source, int64_t sourceLength,
                          int64_t position)
{
    std::string error;
    const auto detect = reinterpret_cast<QuillonTempoDetect>(
        helperSymbol(QUILLON_TEMPO_MODULE_FILE, QUILLON_TEMPO_DETECT_SYMBOL, error));
    if (!detect)
        return -1.0f;
    return detect(channels, sampleRate, readThrough, const_cast<SourceRead*>(&source), sourceLength, position);
}

} // namespace quillon::filefilter
