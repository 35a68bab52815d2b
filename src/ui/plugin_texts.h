#pragma once
// The texts our own plug-in servers hand over in English (effect, category, parameter
// and unit names, file types), looked up in the language pack where the user sees
// them: "Effects" for what an effect shows, "FileTypes" for file types. The names of
// LV2 plug-ins stay as their plug-ins give them, even when one happens to match one of
// ours. User-interface thread only.

#include <QString>

#include <string>

namespace quillon {

class CTransformPlugin;
struct EffectCatalogEntry;

class PluginTexts {
public:
    static constexpr const char* kEffectContext = "Effects";
    static constexpr const char* kFileTypeContext = "FileTypes";
    // The first part of every menu line of the LV2 server.
    static constexpr const char* kThirdPartyMenu = "LV2";

    static QString effectText(const std::string& text);
    static QString fileType(const std::string& text);
    // A menu item or submenu text of the effect menus; an item's "..." stays after the
    // translated name. `translate` false: shown as it stands.
    static QString menuText(const std::string& text, bool translate = true);
    // Whether the items below a submenu of the effect menus are ours to translate.
    static bool translatableBelow(const std::string& submenuText, bool translatedAbove);

    // Whether the texts of an effect are ours to translate.
    static bool translatable(const EffectCatalogEntry& entry);
    static bool translatable(const CTransformPlugin& effect);
    // The effect's name as the user reads it; throws ClassCom as CTransformPlugin::name().
    static QString effectName(const CTransformPlugin& effect);
};

} // namespace quillon
