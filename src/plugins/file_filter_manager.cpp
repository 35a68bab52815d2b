#include "plugins/file_filter_manager.h"

#include "plugins/plugin_host.h"

namespace quillon {

namespace {
constexpr QuillonIdentifier kManagerId = QUILLON_IID_FILE_FILTER_MANAGER;
} // namespace

FileFilterManager FileFilterManager::create(PluginHost& host)
{
    return FileFilterManager(host.create(kManagerId, 0));
}

bool FileFilterManager::configureSaveOptions()
{
    QuillonFfmConfigure p{0};
    m_instance.call(QUILLON_FFM_CONFIGURE_SAVE_OPTIONS, p);
    return p.success != 0;
}

} // namespace quillon
