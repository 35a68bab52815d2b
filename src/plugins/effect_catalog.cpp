#include "plugins/effect_catalog.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>

namespace quillon {

namespace {

std::atomic<EffectCatalog*> g_current{nullptr};
constexpr QuillonIdentifier kEffectId = QUILLON_IID_EFFECT;

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(begin, end - begin);
        // Lines written on another system may end in a carriage return as well.
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(std::move(line));
        begin = end + 1;
    }
    return lines;
}

} // namespace

EffectCatalog* EffectCatalog::current() { return g_current.load(); }
void EffectCatalog::setCurrent(EffectCatalog* catalog) { g_current.store(catalog); }

void EffectCatalog::parseMenuLine(const std::string& line, std::string& path, int32_t& bracketNumber)
{
    const size_t open = line.find('[');
    const size_t close = open == std::string::npos ? std::string::npos : line.find(']', open);
    if (close == std::string::npos) {
        path = line;
        bracketNumber = -1;
        return;
    }
    // Read as a decimal integer the way the C library does: leading digits, 0 without any.
    const std::string digits = line.substr(open + 1, close - open - 1);
    long n = std::strtol(digits.c_str(), nullptr, 10);
    n = std::clamp<long>(n, INT32_MIN, INT32_MAX);
    path = line.substr(0, open);
    bracketNumber = static_cast<int32_t>(n);
}

void EffectCatalog::build(const PluginHost& host)
{
    std::vector<EffectCatalogEntry> entries;
    uint32_t nextId = kFirstCommandId;
    const uint32_t count = host.count(kEffectId);
    for (uint32_t i = 0; i < count; ++i) {
        PluginInstance instance;
        try {
            instance = host.create(kEffectId, i);
        } catch (const ClassCom&) {
            continue;
        }

        std::string menu(kMenuChars, '\0');
        QuillonFxMenuList list{menu.data(), kMenuChars, 0};
        instance.call(QUILLON_FX_MENU_LIST, list);
        menu.resize(std::min<size_t>(menu.find('\0'), kMenuChars));

        for (const std::string& line : splitLines(menu)) {
            EffectCatalogEntry entry;
            entry.implementationIndex = i;
            entry.commandId = nextId++;

            std::string name(kNameChars, '\0');
            QuillonFxText text{name.data(), kNameChars};
            instance.call(QUILLON_FX_NAME, text);
            name.resize(std::min<size_t>(name.find('\0'), kNameChars));
            entry.name = std::move(name);

            parseMenuLine(line, entry.menuPath, entry.bracketNumber);

            QuillonFxHasEditor editor{};
            instance.call(QUILLON_FX_HAS_EDITOR, editor);
            entry.hasEditor = editor.hasEditor;

            QuillonFxIdentity identity{};
            instance.call(QUILLON_FX_IDENTITY, identity);
            entry.identity = identity.identity;

            entries.push_back(std::move(entry));
        }
    }
    m_entries = std::move(entries);
    m_host = &host;
}

const EffectCatalogEntry* EffectCatalog::findByCommandId(uint32_t commandId) const
{
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](const EffectCatalogEntry& e) { return e.commandId == commandId; });
    return it == m_entries.end() ? nullptr : &*it;
}

const EffectCatalogEntry* EffectCatalog::findByIdentity(const QuillonIdentifier& identity) const
{
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](const EffectCatalogEntry& e) { return e.identity == identity; });
    return it == m_entries.end() ? nullptr : &*it;
}

PluginInstance EffectCatalog::create(const EffectCatalogEntry& entry) const
{
    if (!m_host)
        throw ClassCom(QUILLON_E_NO_CLASS);
    return m_host->create(kEffectId, entry.implementationIndex);
}

} // namespace quillon
