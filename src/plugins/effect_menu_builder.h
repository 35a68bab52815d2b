#pragma once
// Places effect menu entries into a menu tree. A path's parts are separated by
// backslashes; every part but the last names a submenu (the keywords VOLUME, TOOLS,
// EFFECTS and ENHANCEMENT stand for their display texts), an existing submenu with the
// same text is reused, and the last part becomes a command item or, for "SEPARATOR",
// a separator. One thread (the user-interface thread).

#include "plugins/effect_catalog.h"
#include "plugins/effect_menu.h"

#include <string>

namespace quillon {

class EffectMenuBuilder {
public:
    static constexpr const char* kSeparator = "SEPARATOR";

    explicit EffectMenuBuilder(EffectMenu& root) : m_root(root) {}

    // A submenu that has to be created in the root goes to `insertPosition` (the end
    // when negative or beyond the end); deeper submenus are appended. Returns false when
    // the path names no item.
    bool addEntry(const std::string& path, uint32_t commandId, int insertPosition = -1);

    // Every catalogue entry in order. Submenus created in the root follow one another
    // from `insertPosition` on, in the order the entries first name them.
    void addCatalog(const EffectCatalog& catalog, int insertPosition = -1);

    // The display text of a path part: the keyword's text, or the part itself.
    static std::string componentText(const std::string& component);

private:
    // Returns the root position just after a root submenu created there, else -1.
    int place(const std::string& path, uint32_t commandId, int insertPosition, bool& added);

    EffectMenu& m_root;
};

} // namespace quillon
