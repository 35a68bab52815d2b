#include "ui/plugin_texts.h"

#include "model/transform_plugin.h"
#include "plugins/class_com.h"
#include "plugins/effect_catalog.h"

#include <QCoreApplication>

namespace quillon {

QString PluginTexts::effectText(const std::string& text)
{
    return QCoreApplication::translate(kEffectContext, text.c_str());
}

QString PluginTexts::fileType(const std::string& text)
{
    return QCoreApplication::translate(kFileTypeContext, text.c_str());
}

QString PluginTexts::menuText(const std::string& text, bool translate)
{
    if (!translate)
        return QString::fromStdString(text);
    const std::string dots = "...";
    if (text.size() > dots.size() && text.compare(text.size() - dots.size(), dots.size(), dots) == 0)
        return effectText(text.substr(0, text.size() - dots.size())) + QString::fromStdString(dots);
    return effectText(text);
}

bool PluginTexts::translatableBelow(const std::string& submenuText, bool translatedAbove)
{
    return translatedAbove && submenuText != kThirdPartyMenu;
}

bool PluginTexts::translatable(const EffectCatalogEntry& entry)
{
    const std::string lead = std::string(kThirdPartyMenu) + "\\";
    return entry.menuPath.compare(0, lead.size(), lead) != 0;
}

bool PluginTexts::translatable(const CTransformPlugin& effect)
{
    const EffectCatalog* catalog = EffectCatalog::current();
    if (!catalog)
        return true;
    try {
        const EffectCatalogEntry* entry = catalog->findByIdentity(effect.identity());
        return !entry || translatable(*entry);
    } catch (const ClassCom&) {
        return true;
    }
}

QString PluginTexts::effectName(const CTransformPlugin& effect)
{
    const std::string name = effect.name();
    return translatable(effect) ? effectText(name) : QString::fromStdString(name);
}

} // namespace quillon
