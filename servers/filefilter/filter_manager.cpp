#include "filter_manager.h"

#include "save_options.h"
#include "ui_module.h"
#include "user_interface.h"
#include "server_settings.h"

#include <quillon/plugin_abi.h>

namespace quillon::filefilter {

int32_t FilterManager::command(uint32_t code, void* param, uint32_t size)
{
    try {
        if (code != QUILLON_FFM_CONFIGURE_SAVE_OPTIONS)
            return QUILLON_E_UNKNOWN_COMMAND;
        if (size != sizeof(QuillonFfmConfigure))
            return QUILLON_E_BAD_SIZE;
        if (!param)
            return QUILLON_E_BAD_PARAM;
        auto& p = *static_cast<QuillonFfmConfigure*>(param);
        p.success = 0;
        if (!canShowDialogs())
            return 0; // answered as a cancelled dialog
        if (!UiModule::available())
            return QUILLON_E_FAIL; // installed without its dialog module
        const std::unique_ptr<SettingsStore> settings = openUserSettings();
        SaveOptions options = readSaveOptions(*settings);
        if (!UiModule::editSaveOptions(options))
            return 0;
        // Options that could not be stored would silently not apply: that is a failure.
        if (!writeSaveOptions(*settings, options))
            return QUILLON_E_IO;
        p.success = 1;
        return 0;
    } catch (...) {
        return QUILLON_E_FAIL;
    }
}

} // namespace quillon::filefilter
