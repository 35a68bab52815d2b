#pragma once
// One line of an effect's menu list in the effect catalogue: which implementation it
// creates, the command id of its menu item and how the item is shown.

#include <quillon/plugin_abi.h>

#include <cstdint>
#include <string>

namespace quillon {

struct EffectCatalogEntry {
    uint32_t implementationIndex = 0; // global index among the effect implementations
    uint32_t commandId = 0;
    QuillonIdentifier identity{};
    std::string name;     // command 129
    std::string menuPath; // the menu line without its "[n]" part
    int32_t hasEditor = 0;
    int32_t bracketNumber = -1; // n of a "[n]" in the line, else -1

    // The name, followed by "..." when the effect opens its own editor.
    std::string menuItemText() const;
    // The backslash-separated path the menu builder takes: the menu path, with the item
    // text appended when the path ends in a backslash.
    std::string menuEntryPath() const;
};

// The four words in lower-case hexadecimal without leading zeros, joined by hyphens:
// 1a2b3-0-ffffffff-10. Presets find an effect's folder by it.
std::string identityText(const QuillonIdentifier& identity);

} // namespace quillon
