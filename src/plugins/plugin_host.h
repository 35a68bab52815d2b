#pragma once
// Finds and loads the plug-in servers and creates plug-in instances by a global index
// across all of them. Loaded once on the user-interface thread at start-up; count and
// create may then be called from any thread.

#include "base/dynamic_library.h"
#include "base/settings_store.h"
#include "plugins/plugin_instance.h"

#include <quillon/plugin_abi.h>

#include <memory>
#include <string>
#include <vector>

namespace quillon {

class PluginHost {
public:
    PluginHost() = default;
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // Reads the server list ("ServerCount", "Server%d" under the machine's Servers key);
    // without a list, loads the servers shipped with the program. Then asks each
    // server's manager for further modules. Returns the number of servers loaded.
    size_t loadServers(const SettingsStore& settings);
    // Loads every server library of a folder, in file-name order.
    size_t loadServerFolder(const std::string& folder);
    // Keeps the library only when it exports both entry points; skips paths already
    // loaded (without regard to letter case).
    bool addServerLibrary(const std::string& path);
    // The same for a module another server loaded (a dlopen handle, not owned).
    bool addServerModule(void* handle);

    uint32_t count(const QuillonIdentifier& id) const;
    // Throws ClassCom(3) when no server holds the index or creation fails.
    PluginInstance create(const QuillonIdentifier& id, uint32_t globalIndex) const;

    size_t serverCount() const { return m_servers.size(); }
    std::vector<std::string> serverPaths() const;

    // Where the shipped servers are looked for: $QUILLON_SERVER_DIR, the server folder of
    // the tree the running program was installed with, the build tree's, the install prefix's.
    static std::vector<std::string> shippedServerFolders();

    // The host the program runs with; set once at start-up (tests set their own).
    static PluginHost* current();
    static void setCurrent(PluginHost* host);

private:
    struct Server {
        std::unique_ptr<DynamicLibrary> library; // null for modules loaded by a manager
        void* handle = nullptr;
        std::string path;
        QuillonGetMatchCountFn getMatchCount = nullptr;
        QuillonCreateInterfacesFn createInterfaces = nullptr;
    };

    bool isLoaded(const std::string& path) const;
    void askManagers(size_t firstServer);

    std::vector<Server> m_servers;
};

} // namespace quillon
