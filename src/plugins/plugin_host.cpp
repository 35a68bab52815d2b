#include "plugins/plugin_host.h"

#include "base/text_encoding.h"

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <filesystem>

namespace quillon {

namespace {
std::atomic<PluginHost*> g_current{nullptr};
constexpr QuillonIdentifier kManagerId = QUILLON_IID_MANAGER;
} // namespace

PluginHost::~PluginHost()
{
    // Libraries are freed in reverse load order; instances must be gone by now.
    while (!m_servers.empty())
        m_servers.pop_back();
    PluginHost* self = this;
    g_current.compare_exchange_strong(self, nullptr);
}

PluginHost* PluginHost::current() { return g_current.load(); }
void PluginHost::setCurrent(PluginHost* host) { g_current.store(host); }

std::vector<std::string> PluginHost::shippedServerFolders()
{
    std::vector<std::string> folders;
    if (const char* env = std::getenv("QUILLON_SERVER_DIR"); env && *env)
        folders.emplace_back(env);
    // An installed program finds the servers of its own tree before any other.
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        folders.push_back((program.parent_path() / QUILLON_SERVER_DIR_FROM_PROGRAM).lexically_normal().string());
    folders.emplace_back(QUILLON_BUILD_SERVER_DIR);
    folders.emplace_back(QUILLON_INSTALL_SERVER_DIR);
    return folders;
}

size_t PluginHost::loadServers(const SettingsStore& settings)
{
    const size_t before = m_servers.size();
    const auto count = settings.readInt(SettingsRoot::LocalMachine, keys::kServers, "ServerCount");
    if (count) {
        for (int32_t i = 1; i <= *count; ++i) {
            std::string path =
                settings.getString(SettingsRoot::LocalMachine, keys::kServers, "Server" + std::to_string(i), "");
            if (!path.empty())
                addServerLibrary(path);
        }
    } else {
        // No list: a fresh build or install finds the servers it ships.
        for (const std::string& folder : shippedServerFolders())
            if (loadServerFolder(folder) > 0)
                break;
    }
    askManagers(before);
    return m_servers.size() - before;
}

size_t PluginHost::loadServerFolder(const std::string& folder)
{
    std::error_code ec;
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec) && entry.path().extension() == ".so")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    size_t loaded = 0;
    for (const std::string& f : files)
        loaded += addServerLibrary(f) ? 1 : 0;
    return loaded;
}

bool PluginHost::isLoaded(const std::string& path) const
{
    return std::any_of(m_servers.begin(), m_servers.end(),
                       [&](const Server& s) { return text::equalsNoCase(s.path, path); });
}

bool PluginHost::addServerLibrary(const std::string& path)
{
    if (path.empty() || isLoaded(path))
        return false;
    auto lib = std::make_unique<DynamicLibrary>();
    if (!lib->load(path))
        return false;
    Server s;
    s.getMatchCount = reinterpret_cast<QuillonGetMatchCountFn>(lib->symbol(QUILLON_GET_MATCH_COUNT));
    s.createInterfaces = reinterpret_cast<QuillonCreateInterfacesFn>(lib->symbol(QUILLON_CREATE_INTERFACES));
    if (!s.getMatchCount || !s.createInterfaces)
        return false; // freed with `lib`
    s.handle = lib->handle();
    s.path = path;
    s.library = std::move(lib);
    m_servers.push_back(std::move(s));
    return true;
}

bool PluginHost::addServerModule(void* handle)
{
    if (!handle)
        return false;
    Server s;
    s.getMatchCount = reinterpret_cast<QuillonGetMatchCountFn>(dlsym(handle, QUILLON_GET_MATCH_COUNT));
    s.createInterfaces = reinterpret_cast<QuillonCreateInterfacesFn>(dlsym(handle, QUILLON_CREATE_INTERFACES));
    if (!s.getMatchCount || !s.createInterfaces)
        return false;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(s.getMatchCount), &info) && info.dli_fname)
        s.path = info.dli_fname;
    if (isLoaded(s.path))
        return false;
    s.handle = handle;
    m_servers.push_back(std::move(s));
    return true;
}

void PluginHost::askManagers(size_t firstServer)
{
    (void)firstServer;
    if (count(kManagerId) == 0)
        return;
    // A manager may load further modules; any failure here is ignored.
    try {
        PluginInstance manager = create(kManagerId, 0);
        QuillonMgrInit init{};
        if (manager.command(QUILLON_MGR_INIT, &init, sizeof(init)) != 0)
            return;
        QuillonMgrModuleCount mc{};
        // The count comes from the plug-in: a wild one must not exhaust memory.
        constexpr uint32_t kMaxModules = 4096;
        if (manager.command(QUILLON_MGR_MODULE_COUNT, &mc, sizeof(mc)) != 0 || mc.count == 0 ||
            mc.count > kMaxModules)
            return;
        std::vector<void*> handles(mc.count, nullptr);
        QuillonMgrModules modules{handles.data(), mc.count};
        if (manager.command(QUILLON_MGR_MODULES, &modules, sizeof(modules)) != 0)
            return;
        for (void* h : handles)
            addServerModule(h);
    } catch (const std::exception&) {
    }
}

uint32_t PluginHost::count(const QuillonIdentifier& id) const
{
    // Summed wide so that servers claiming huge counts cannot wrap the total around.
    uint64_t total = 0;
    for (const Server& s : m_servers)
        total += s.getMatchCount(id);
    return static_cast<uint32_t>(std::min<uint64_t>(total, UINT32_MAX));
}

PluginInstance PluginHost::create(const QuillonIdentifier& id, uint32_t globalIndex) const
{
    uint64_t before = 0;
    for (const Server& s : m_servers) {
        const uint64_t n = s.getMatchCount(id);
        if (globalIndex < before + n) {
            QuillonInterface record{};
            if (s.createInterfaces(id, static_cast<uint32_t>(globalIndex - before), &record) != 1 || !record.command)
                throw ClassCom(QUILLON_E_NO_CLASS);
            return PluginInstance(record);
        }
        before += n;
    }
    throw ClassCom(QUILLON_E_NO_CLASS);
}

std::vector<std::string> PluginHost::serverPaths() const
{
    std::vector<std::string> paths;
    for (const Server& s : m_servers)
        paths.push_back(s.path);
    return paths;
}

} // namespace quillon
