#include "plugins/effect_catalog_entry.h"

#include <cstdio>

namespace quillon {

std::string EffectCatalogEntry::menuItemText() const
{
    return hasEditor ? name + "..." : name;
}

std::string EffectCatalogEntry::menuEntryPath() const
{
    if (!menuPath.empty() && menuPath.back() == '\\')
        return menuPath + menuItemText();
    return menuPath;
}

std::string identityText(const QuillonIdentifier& identity)
{
    char text[4 * 8 + 3 + 1];
    std::snprintf(text, sizeof(text), "%x-%x-%x-%x", identity.words[0], identity.words[1], identity.words[2],
                  identity.words[3]);
    return text;
}

} // namespace quillon
