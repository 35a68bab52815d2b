#include "ui_module.h"

#include "helper_module.h"
#include "ui/ui_module_abi.h"

#include <cstdlib>

namespace quillon::filefilter {

namespace {

template <typename Entry>
Entry entry(const char* symbol)
{
    std::string error;
    return reinterpret_cast<Entry>(helperSymbol(QUILLON_FF_UI_MODULE_FILE, symbol, error));
}

} // namespace

bool UiModule::available()
{
    return entry<QuillonFfUiChooseDestination>(QUILLON_FF_UI_CHOOSE_DESTINATION_SYMBOL) &&
           entry<QuillonFfUiEditSaveOptions>(QUILLON_FF_UI_EDIT_SAVE_OPTIONS_SYMBOL);
}

std::optional<std::string> UiModule::chooseDestination(int defaultFormat, const std::string& folder)
{
    const auto choose = entry<QuillonFfUiChooseDestination>(QUILLON_FF_UI_CHOOSE_DESTINATION_SYMBOL);
    char* path = nullptr;
    if (!choose || !choose(defaultFormat, folder.c_str(), &path) || !path)
        return std::nullopt;
    std::string chosen(path);
    std::free(path);
    return chosen;
}

bool UiModule::editSaveOptions(SaveOptions& options)
{
    const auto edit = entry<QuillonFfUiEditSaveOptions>(QUILLON_FF_UI_EDIT_SAVE_OPTIONS_SYMBOL);
    return edit && edit(&options) != 0;
}

} // namespace quillon::filefilter
