#pragma once
// The installed effects, one entry per menu line that an effect implementation offers.
// Built once on the user-interface thread at start-up (after the servers are loaded);
// afterwards it is only read, from any thread. It keeps the host it was built from to
// create instances of its entries.

#include "plugins/effect_catalog_entry.h"
#include "plugins/plugin_host.h"
#include "plugins/plugin_instance.h"

#include <string>
#include <vector>

namespace quillon {

class EffectCatalog {
public:
    static constexpr uint32_t kFirstCommandId = 2000;
    static constexpr uint32_t kNameChars = QUILLON_FX_NAME_CHARS;
    static constexpr uint32_t kMenuChars = QUILLON_FX_MENU_CHARS;

    EffectCatalog() = default;
    EffectCatalog(const EffectCatalog&) = delete;
    EffectCatalog& operator=(const EffectCatalog&) = delete;

    // Asks every effect implementation for its menu lines, name, editor flag and
    // identity. An implementation that cannot be created is skipped; any other failing
    // command throws ClassCom and leaves the catalogue as it was.
    void build(const PluginHost& host);

    const std::vector<EffectCatalogEntry>& entries() const { return m_entries; }
    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }

    const EffectCatalogEntry* findByCommandId(uint32_t commandId) const;
    // The first entry with that identity.
    const EffectCatalogEntry* findByIdentity(const QuillonIdentifier& identity) const;

    // A new instance of the entry's implementation; throws ClassCom (3) when it cannot
    // be created or the catalogue was never built.
    PluginInstance create(const EffectCatalogEntry& entry) const;
    const PluginHost* host() const { return m_host; }

    // Splits a menu line into its path (cut before "[") and the bracket number, when a
    // "[" comes before a "]"; otherwise the whole line and -1.
    static void parseMenuLine(const std::string& line, std::string& path, int32_t& bracketNumber);

    // The catalogue the program runs with; set once at start-up (tests set their own).
    static EffectCatalog* current();
    static void setCurrent(EffectCatalog* catalog);

private:
    std::vector<EffectCatalogEntry> m_entries;
    const PluginHost* m_host = nullptr;
};

} // namespace quillon
