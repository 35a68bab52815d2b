#pragma once
// A menu tree without any toolkit: command items, separators and submenus, which the
// user interface mirrors into real menus. A menu owns its submenus.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillon {

struct EffectMenu {
    struct Item {
        enum class Kind { Command, Separator, Submenu };
        Kind kind = Kind::Command;
        std::string text;
        uint32_t commandId = 0;
        std::unique_ptr<EffectMenu> submenu; // set for Kind::Submenu
    };

    std::vector<Item> items;

    // The submenu item with exactly that text, or null.
    EffectMenu* findSubmenu(const std::string& text) const
    {
        for (const Item& item : items)
            if (item.kind == Item::Kind::Submenu && item.text == text)
                return item.submenu.get();
        return nullptr;
    }
};

} // namespace quillon
