#include "saved_state.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace quillon::filefilter {

namespace {

constexpr uint8_t kMagic[4] = {'V', 'Q', 'F', 'S'};
constexpr uint32_t kTagPath = 1;
constexpr uint32_t kTagRange = 2;           // begin, frames (64-bit each)
constexpr uint32_t kTagRatio = 3;           // float
constexpr uint32_t kTagStartTransition = 4; // length (64-bit), kind, ratio (float)
constexpr uint32_t kTagEndTransition = 5;
constexpr uint32_t kTagFileSize = 6;        // 64-bit
constexpr size_t kMaxPath = 64 * 1024;

void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putU64(std::vector<uint8_t>& out, uint64_t v)
{
    putU32(out, static_cast<uint32_t>(v));
    putU32(out, static_cast<uint32_t>(v >> 32));
}

void putFloat(std::vector<uint8_t>& out, float v) { putU32(out, std::bit_cast<uint32_t>(v)); }

uint32_t getU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int64_t getI64(const uint8_t* p) { return static_cast<int64_t>(uint64_t(getU32(p)) | uint64_t(getU32(p + 4)) << 32); }

float getFloat(const uint8_t* p) { return std::bit_cast<float>(getU32(p)); }

void putTransition(std::vector<uint8_t>& out, uint32_t tag, const TimeScaleMap::Transition& t)
{
    putU32(out, tag);
    putU32(out, 16);
    putU64(out, static_cast<uint64_t>(t.length));
    putU32(out, t.kind);
    putFloat(out, t.ratio);
}

bool getTransition(const uint8_t* p, uint32_t length, TimeScaleMap::Transition& t)
{
    if (length != 16)
        return false;
    t.length = getI64(p);
    t.kind = getU32(p + 8);
    t.ratio = getFloat(p + 12);
    return t.length >= 0 && t.kind <= TimeScaleMap::kGradual && std::isfinite(t.ratio);
}

} // namespace

std::vector<uint8_t> SavedState::encode() const
{
    std::vector<uint8_t> out(kMagic, kMagic + 4);
    putU32(out, kVersion);
    // Before the path: a state cut short after the size never passes for a whole one.
    if (fileSize >= 0) {
        putU32(out, kTagFileSize);
        putU32(out, 8);
        putU64(out, static_cast<uint64_t>(fileSize));
    }
    putU32(out, kTagPath);
    putU32(out, static_cast<uint32_t>(path.size()));
    out.insert(out.end(), path.begin(), path.end());
    if (rangeFrames >= 0) {
        putU32(out, kTagRange);
        putU32(out, 16);
        putU64(out, static_cast<uint64_t>(rangeBegin));
        putU64(out, static_cast<uint64_t>(rangeFrames));
    }
    if (ratio != 1.0f) {
        putU32(out, kTagRatio);
        putU32(out, 4);
        putFloat(out, ratio);
    }
    if (startTransition.active())
        putTransition(out, kTagStartTransition, startTransition);
    if (endTransition.active())
        putTransition(out, kTagEndTransition, endTransition);
    return out;
}

std::optional<SavedState> SavedState::decode(const void* bytes, size_t size)
{
    const auto* p = static_cast<const uint8_t*>(bytes);
    if (!p || size < 8 || std::memcmp(p, kMagic, 4) != 0 || getU32(p + 4) != kVersion)
        return std::nullopt;
    SavedState state;
    bool havePath = false;
    size_t at = 8;
    while (at < size) {
        if (size - at < 8)
            return std::nullopt;
        const uint32_t tag = getU32(p + at);
        const uint32_t length = getU32(p + at + 4);
        at += 8;
        if (length > size - at)
            return std::nullopt;
        const uint8_t* record = p + at;
        switch (tag) {
        case kTagPath:
            if (length == 0 || length > kMaxPath || std::memchr(record, 0, length))
                return std::nullopt;
            state.path.assign(reinterpret_cast<const char*>(record), length);
            havePath = true;
            break;
        case kTagRange:
            if (length != 16)
                return std::nullopt;
            state.rangeBegin = getI64(record);
            state.rangeFrames = getI64(record + 8);
            if (state.rangeBegin < 0 || state.rangeFrames <= 0)
                return std::nullopt;
            break;
        case kTagRatio:
            if (length != 4)
                return std::nullopt;
            state.ratio = getFloat(record);
            if (!std::isfinite(state.ratio) || state.ratio <= 0.0f)
                return std::nullopt;
            break;
        case kTagStartTransition:
            if (!getTransition(record, length, state.startTransition))
                return std::nullopt;
            break;
        case kTagEndTransition:
            if (!getTransition(record, length, state.endTransition))
                return std::nullopt;
            break;
        case kTagFileSize:
            if (length != 8 || getI64(record) < 0)
                return std::nullopt;
            state.fileSize = getI64(record);
            break;
        default: break; // a later addition
        }
        at += length;
    }
    if (!havePath)
        return std::nullopt;
    return state;
}

} // namespace quillon::filefilter
