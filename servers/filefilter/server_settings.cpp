#include "server_settings.h"

#include "base_qt/qsettings_store.h"

namespace quillon::filefilter {

std::unique_ptr<SettingsStore> openUserSettings()
{
    // Constructed per call: it follows QUILLON_USER_CONFIG_DIR as it is at that moment.
    return std::make_unique<QSettingsStore>();
}

} // namespace quillon::filefilter
