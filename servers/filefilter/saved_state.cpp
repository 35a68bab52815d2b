#include "saved_state.h"

#include <cstring>

namespace quillon::filefilter {

namespace {

constexpr uint8_t kMagic[4] = {'V', 'Q', 'F', 'S'};
constexpr uint32_t kTagPath = 1;
constexpr size_t kMaxPath = 64 * 1024;

void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t getU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

std::vector<uint8_t> SavedState::encode() const
{
    std::vector<uint8_t> out(kMagic, kMagic + 4);
    putU32(out, kVersion);
    putU32(out, kTagPath);
    putU32(out, static_cast<uint32_t>(path.size()));
    out.insert(out.end(), path.begin(), path.end());
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
        if (tag == kTagPath) {
            if (length == 0 || length > kMaxPath || std::memchr(p + at, 0, length))
                return std::nullopt;
            state.path.assign(reinterpret_cast<const char*>(p + at), length);
            havePath = true;
        }
        at += length;
    }
    if (!havePath)
        return std::nullopt;
    return state;
}

} // namespace quillon::filefilter
