// The two exports of the file-filter server: the audio file filter and its manager.

#include "filter_instance.h"
#include "filter_manager.h"

#include <server_entry.h>

#include <quillon/plugin_abi.h>

#include <memory>
#include <new>

namespace {

using quillon::filefilter::FilterInstance;
using quillon::filefilter::FilterManager;

constexpr QuillonIdentifier kFileFilterId = QUILLON_IID_FILE_FILTER;
constexpr QuillonIdentifier kManagerId = QUILLON_IID_FILE_FILTER_MANAGER;

bool createFilter(uint32_t, QuillonInterface* out)
{
    std::unique_ptr<FilterInstance> instance(new (std::nothrow) FilterInstance);
    if (!instance)
        return false;
    *out = FilterInstance::makeRecord(std::move(instance));
    return true;
}

bool createManager(uint32_t, QuillonInterface* out)
{
    std::unique_ptr<FilterManager> manager(new (std::nothrow) FilterManager);
    if (!manager)
        return false;
    *out = quillon::server::makeRecord(std::move(manager), kManagerId);
    return true;
}

constexpr quillon::server::ClassEntry kClasses[] = {
    {kFileFilterId, 1, &createFilter},
    {kManagerId, 1, &createManager},
};

} // namespace

extern "C" QUILLON_EXPORT uint32_t ccGetMatchCount(QuillonIdentifier id)
{
    return quillon::server::matchCount(kClasses, id);
}

extern "C" QUILLON_EXPORT int32_t ccCreateInterfaces(QuillonIdentifier id, uint32_t localIndex, QuillonInterface* out)
{
    return quillon::server::createInterface(kClasses, id, localIndex, out);
}
