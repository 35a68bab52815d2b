// A server whose effects misbehave on purpose, for the host's error paths: one cannot
// be created, one fails inside processing after scribbling on the block, one throws
// from processing, one sends awkward menu lines. The environment variables
// QUILLON_FAKE_REFUSE_MENU and QUILLON_FAKE_REFUSE_FORMAT make every effect refuse
// command 130 or 117. fakeEffectReleases() counts released instances.

#include <quillon/plugin_abi.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

enum Index : uint32_t { NotCreatable, Failing, Throwing, AwkwardMenu, Count };

struct FakeEffect {
    uint32_t index;
};

std::atomic<int> g_releases{0};

constexpr QuillonIdentifier kEffectId = QUILLON_IID_EFFECT;

bool same(const QuillonIdentifier& a, const QuillonIdentifier& b)
{
    return std::memcmp(&a, &b, sizeof(a)) == 0;
}

int32_t copy(const char* text, char* buffer, uint32_t size)
{
    if (!buffer || size == 0)
        return QUILLON_E_BAD_PARAM;
    std::strncpy(buffer, text, size - 1);
    buffer[size - 1] = '\0';
    return 0;
}

int32_t blockCall(QuillonInterface& block, uint32_t code, void* p, uint32_t size)
{
    return block.command(&block, code, p, size);
}

int32_t process(uint32_t index, QuillonFxProcess* p)
{
    QuillonBlockData data{};
    QuillonBlockStart start{};
    blockCall(p->block, QUILLON_BLOCK_DATA, &data, sizeof(data));
    blockCall(p->block, QUILLON_BLOCK_START, &start, sizeof(start));
    // Leaves a trace the host must keep: the start position it was told.
    data.data[0] = static_cast<float>(start.position);
    if (index == Throwing)
        throw std::runtime_error("effect failed");
    return QUILLON_E_FAIL;
}

int32_t command(QuillonInterface* self, uint32_t code, void* param, uint32_t size)
{
    const uint32_t index = static_cast<FakeEffect*>(self->instance)->index;
    switch (code) {
    case QUILLON_FX_MENU_LIST: {
        if (std::getenv("QUILLON_FAKE_REFUSE_MENU"))
            return QUILLON_E_FAIL;
        auto* p = static_cast<QuillonFxMenuList*>(param);
        return copy(index == AwkwardMenu ? "TOOLS\\Odd\\A\r\n\nB [5]\n[x]\nC]D[2" : "TOOLS\\", p->buffer, p->size);
    }
    case QUILLON_FX_NAME: {
        auto* p = static_cast<QuillonFxText*>(param);
        return copy(index == Failing ? "Failing Effect" : index == Throwing ? "Throwing Effect" : "Awkward Menu",
                    p->buffer, p->size);
    }
    case QUILLON_FX_HAS_EDITOR:
        static_cast<QuillonFxHasEditor*>(param)->hasEditor = index == Failing ? 1 : 0;
        return 0;
    case QUILLON_FX_IDENTITY:
        static_cast<QuillonFxIdentity*>(param)->identity = {{0xFA11u, 0u, 0xFFFFFFFFu, index}};
        return 0;
    case QUILLON_FX_SET_FORMAT:
        return std::getenv("QUILLON_FAKE_REFUSE_FORMAT") ? QUILLON_E_BAD_PARAM : 0;
    case QUILLON_FX_SAVE_STATE:
    case QUILLON_FX_LOAD_STATE:
    case QUILLON_FX_SET_VALUE:
        return 0;
    case QUILLON_FX_LENGTH_FACTOR:
        static_cast<QuillonFxLengthFactor*>(param)->factor = 1.5;
        return 0;
    case QUILLON_FX_PROCESS:
        if (size != sizeof(QuillonFxProcess))
            return QUILLON_E_BAD_SIZE;
        return process(index, static_cast<QuillonFxProcess*>(param));
    default:
        return QUILLON_E_UNKNOWN_COMMAND;
    }
}

void release(QuillonInterface* self)
{
    delete static_cast<FakeEffect*>(self->instance);
    self->instance = nullptr;
    g_releases.fetch_add(1);
}

} // namespace

extern "C" QUILLON_EXPORT int fakeEffectReleases() { return g_releases.load(); }

extern "C" QUILLON_EXPORT uint32_t ccGetMatchCount(QuillonIdentifier id)
{
    return same(id, kEffectId) ? uint32_t(Count) : 0u;
}

extern "C" QUILLON_EXPORT int32_t ccCreateInterfaces(QuillonIdentifier id, uint32_t localIndex, QuillonInterface* out)
{
    if (!same(id, kEffectId) || localIndex >= Count || localIndex == NotCreatable)
        return 0;
    out->instance = new FakeEffect{localIndex};
    out->id = id;
    out->command = &command;
    out->release = &release;
    return 1;
}
