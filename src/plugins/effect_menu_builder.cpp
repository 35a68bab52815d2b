#include "plugins/effect_menu_builder.h"

#include <quillon/plugin_text.h>

#include <utility>

namespace quillon {

namespace {

std::vector<std::string> splitPath(const std::string& path)
{
    std::vector<std::string> parts;
    size_t begin = 0;
    for (;;) {
        const size_t end = path.find('\\', begin);
        if (end == std::string::npos) {
            parts.push_back(path.substr(begin));
            return parts;
        }
        parts.push_back(path.substr(begin, end - begin));
        begin = end + 1;
    }
}

} // namespace

std::string EffectMenuBuilder::componentText(const std::string& component)
{
    if (component == "VOLUME")
        return QUILLON_TEXT("Effects", "Volume");
    if (component == "TOOLS")
        return QUILLON_TEXT("Effects", "Tools");
    if (component == "EFFECTS")
        return QUILLON_TEXT("Effects", "Effects");
    if (component == "ENHANCEMENT")
        return QUILLON_TEXT("Effects", "Enhancement");
    return component;
}

int EffectMenuBuilder::place(const std::string& path, uint32_t commandId, int insertPosition, bool& added)
{
    added = false;
    const std::vector<std::string> parts = splitPath(path);
    int nextRootPosition = -1;
    EffectMenu* menu = &m_root;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        // Doubled or leading backslashes would make nameless submenus.
        if (parts[i].empty())
            continue;
        const std::string text = componentText(parts[i]);
        if (EffectMenu* existing = menu->findSubmenu(text)) {
            menu = existing;
            continue;
        }
        EffectMenu::Item item;
        item.kind = EffectMenu::Item::Kind::Submenu;
        item.text = text;
        item.submenu = std::make_unique<EffectMenu>();
        EffectMenu* created = item.submenu.get();
        auto& items = menu->items;
        if (menu == &m_root && insertPosition >= 0 && static_cast<size_t>(insertPosition) < items.size()) {
            items.insert(items.begin() + insertPosition, std::move(item));
            nextRootPosition = insertPosition + 1;
        } else {
            items.push_back(std::move(item));
        }
        menu = created;
    }

    const std::string& last = parts.back();
    if (last.empty())
        return nextRootPosition;
    EffectMenu::Item item;
    if (last == kSeparator) {
        item.kind = EffectMenu::Item::Kind::Separator;
    } else {
        item.kind = EffectMenu::Item::Kind::Command;
        item.text = last;
        item.commandId = commandId;
    }
    menu->items.push_back(std::move(item));
    added = true;
    return nextRootPosition;
}

bool EffectMenuBuilder::addEntry(const std::string& path, uint32_t commandId, int insertPosition)
{
    bool added = false;
    place(path, commandId, insertPosition, added);
    return added;
}

void EffectMenuBuilder::addCatalog(const EffectCatalog& catalog, int insertPosition)
{
    for (const EffectCatalogEntry& entry : catalog.entries()) {
        bool added = false;
        const int next = place(entry.menuEntryPath(), entry.commandId, insertPosition, added);
        if (next >= 0)
            insertPosition = next;
    }
}

} // namespace quillon
