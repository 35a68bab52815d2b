// A tiny plug-in server for the host's tests. It offers QUILLON_PROBE_COUNT file-filter
// implementations whose every command answers QUILLON_PROBE_BASE + local index, one effect
// that can never be created, and (with QUILLON_PROBE_MANAGER) a server manager that hands
// the host the modules listed in $QUILLON_PROBE_MANAGED (colon-separated paths), claiming
// $QUILLON_PROBE_MANAGED_COUNT of them when that is set.

#include <quillon/plugin_abi.h>

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr QuillonIdentifier kFileFilter = QUILLON_IID_FILE_FILTER;
constexpr QuillonIdentifier kEffect = QUILLON_IID_EFFECT;
constexpr QuillonIdentifier kManager = QUILLON_IID_MANAGER;

bool same(const QuillonIdentifier& a, const QuillonIdentifier& b)
{
    return std::memcmp(a.words, b.words, sizeof a.words) == 0;
}

int32_t probeCommand(QuillonInterface* self, uint32_t, void*, uint32_t)
{
    return static_cast<int32_t>(reinterpret_cast<uintptr_t>(self->instance));
}

std::vector<std::string> managedPaths()
{
    std::vector<std::string> paths;
    const char* env = std::getenv("QUILLON_PROBE_MANAGED");
    std::string list = env ? env : "";
    for (size_t at = 0; at < list.size();) {
        const size_t end = std::min(list.find(':', at), list.size());
        if (end > at)
            paths.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return paths;
}

int32_t managerCommand(QuillonInterface*, uint32_t code, void* param, uint32_t size)
{
    if (const char* fail = std::getenv("QUILLON_PROBE_MANAGER_FAIL"); fail && std::atoi(fail) == int(code))
        return QUILLON_E_FAIL;
    switch (code) {
    case QUILLON_MGR_INIT: return size == sizeof(QuillonMgrInit) ? 0 : QUILLON_E_BAD_SIZE;
    case QUILLON_MGR_MODULE_COUNT:
        if (size != sizeof(QuillonMgrModuleCount) || !param)
            return QUILLON_E_BAD_SIZE;
        static_cast<QuillonMgrModuleCount*>(param)->count = static_cast<uint32_t>(managedPaths().size());
        // A manager that lies about its count.
        if (const char* lie = std::getenv("QUILLON_PROBE_MANAGED_COUNT"); lie && *lie)
            static_cast<QuillonMgrModuleCount*>(param)->count = static_cast<uint32_t>(std::strtoul(lie, nullptr, 10));
        return 0;
    case QUILLON_MGR_MODULES: {
        if (size != sizeof(QuillonMgrModules) || !param)
            return QUILLON_E_BAD_SIZE;
        auto* modules = static_cast<QuillonMgrModules*>(param);
        const std::vector<std::string> paths = managedPaths();
        if (modules->count != paths.size() || !modules->handles)
            return QUILLON_E_BAD_PARAM;
        // The modules stay loaded for the life of the process, as a manager's would.
        for (size_t i = 0; i < paths.size(); ++i)
            modules->handles[i] = dlopen(paths[i].c_str(), RTLD_NOW | RTLD_LOCAL);
        return 0;
    }
    default: return QUILLON_E_UNKNOWN_COMMAND;
    }
}

} // namespace

extern "C" QUILLON_EXPORT uint32_t ccGetMatchCount(QuillonIdentifier id)
{
    if (same(id, kFileFilter))
        return QUILLON_PROBE_COUNT;
    if (same(id, kEffect))
        return 1;
#ifdef QUILLON_PROBE_MANAGER
    if (same(id, kManager))
        return 1;
#endif
    return 0;
}

extern "C" QUILLON_EXPORT int32_t ccCreateInterfaces(QuillonIdentifier id, uint32_t localIndex, QuillonInterface* out)
{
    if (!out)
        return 0;
    if (same(id, kFileFilter) && localIndex < QUILLON_PROBE_COUNT) {
        out->instance = reinterpret_cast<void*>(static_cast<uintptr_t>(QUILLON_PROBE_BASE + localIndex));
        out->id = id;
        out->command = &probeCommand;
        out->release = nullptr;
        return 1;
    }
#ifdef QUILLON_PROBE_MANAGER
    if (same(id, kManager) && localIndex == 0) {
        out->instance = nullptr;
        out->id = id;
        out->command = &managerCommand;
        out->release = nullptr;
        return 1;
    }
#else
    (void)&managerCommand;
#endif
    return 0; // the effect it counts cannot be made
}
