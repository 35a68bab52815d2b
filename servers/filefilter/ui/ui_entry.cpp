// The dialog module's entries: the file filter loads this module only when a dialog is
// to be shown, which keeps Qt Widgets out of reading and writing audio.

#include "destination_dialog.h"
#include "save_options_dialog.h"
#include "ui_module_abi.h"

#include <cstdlib>
#include <cstring>

#define QUILLON_UI_EXPORT extern "C" __attribute__((visibility("default")))

QUILLON_UI_EXPORT int quillonFfUiChooseDestination(int defaultFormat, const char* folder, char** path)
{
    try {
        *path = nullptr;
        const auto chosen = quillon::filefilter::DestinationDialog::choose(defaultFormat, folder ? folder : "");
        if (!chosen)
            return 0;
        *path = ::strdup(chosen->c_str());
        return *path ? 1 : 0;
    } catch (...) {
        return 0; // nothing may leave a C entry point
    }
}

QUILLON_UI_EXPORT int quillonFfUiEditSaveOptions(void* options)
{
    try {
        return quillon::filefilter::SaveOptionsDialog::edit(*static_cast<quillon::filefilter::SaveOptions*>(options))
                   ? 1
                   : 0;
    } catch (...) {
        return 0;
    }
}
