#include "save_options.h"

#include "base/settings_store.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quillon::filefilter {

namespace {

float clampQuality(float q, float def)
{
    return std::isfinite(q) ? std::clamp(q, 0.0f, 1.0f) : def;
}

int32_t toPercent(float q)
{
    return static_cast<int32_t>(std::lround(q * 100.0f));
}

} // namespace

SaveOptions SaveOptions::clamped() const
{
    const SaveOptions defaults;
    SaveOptions o = *this;
    o.flacCompressionLevel = std::clamp(o.flacCompressionLevel, 0, 8);
    o.vorbisQuality = clampQuality(o.vorbisQuality, defaults.vorbisQuality);
    o.opusQuality = clampQuality(o.opusQuality, defaults.opusQuality);
    int32_t best = kMp3BitRates[0];
    for (int32_t rate : kMp3BitRates) {
        if (std::abs(int64_t{rate} - o.mp3BitRate) < std::abs(int64_t{best} - o.mp3BitRate))
            best = rate;
    }
    o.mp3BitRate = best;
    const auto type = static_cast<int32_t>(o.wavSampleType);
    if (type < 0 || type > static_cast<int32_t>(WavSampleType::Float32))
        o.wavSampleType = WavSampleType::FromFormat;
    return o;
}

SaveOptions readSaveOptions(const SettingsStore& store)
{
    const SaveOptions d;
    SaveOptions o;
    o.flacCompressionLevel = store.profileInt(kSaveOptionsSection, "FlacCompressionLevel", d.flacCompressionLevel);
    o.vorbisQuality = store.profileInt(kSaveOptionsSection, "VorbisQuality", toPercent(d.vorbisQuality)) / 100.0f;
    o.opusQuality = store.profileInt(kSaveOptionsSection, "OpusQuality", toPercent(d.opusQuality)) / 100.0f;
    o.mp3BitRate = store.profileInt(kSaveOptionsSection, "Mp3BitRate", d.mp3BitRate);
    o.wavSampleType = static_cast<WavSampleType>(
        store.profileInt(kSaveOptionsSection, "WavSampleType", static_cast<int32_t>(d.wavSampleType)));
    return o.clamped();
}

bool writeSaveOptions(SettingsStore& store, const SaveOptions& options)
{
    const SaveOptions o = options.clamped();
    bool ok = store.writeProfileInt(kSaveOptionsSection, "FlacCompressionLevel", o.flacCompressionLevel);
    ok = store.writeProfileInt(kSaveOptionsSection, "VorbisQuality", toPercent(o.vorbisQuality)) && ok;
    ok = store.writeProfileInt(kSaveOptionsSection, "OpusQuality", toPercent(o.opusQuality)) && ok;
    ok = store.writeProfileInt(kSaveOptionsSection, "Mp3BitRate", o.mp3BitRate) && ok;
    ok = store.writeProfileInt(kSaveOptionsSection, "WavSampleType", static_cast<int32_t>(o.wavSampleType)) && ok;
    return ok;
}

} // namespace quillon::filefilter
