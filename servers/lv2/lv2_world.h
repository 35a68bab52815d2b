#pragma once
// The LV2 plug-ins this server can host, found once when the server is loaded.
//
// Only plug-ins we can run without help are listed: one or two audio inputs with as many
// outputs, control ports, and other ports only where the plug-in lets them stay
// unconnected; every feature the plug-in requires must be one we provide (the URID map and
// a few promises about how we call it). The world also owns the URID map that instances and
// saved states share.

#include <quillon/plugin_abi.h>

#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace quillon::lv2 {

struct ControlPort {
    uint32_t index; // LV2 port index
    std::string name;
    std::string symbol;
    std::string unit;
    float minimum;
    float maximum;
    float defaultValue;
    bool scalesWithRate; // bounds are multiples of the sample rate
    uint32_t kind;       // QUILLON_FX_PARAM_*
};

struct PluginInfo {
    const LilvPlugin* plugin = nullptr;
    std::string uri;
    std::string name;
    std::string menu;
    QuillonIdentifier identity{};
    std::vector<ControlPort> controls;
    std::vector<uint32_t> audioIn;
    std::vector<uint32_t> audioOut;
    std::vector<uint32_t> controlOut;
    std::vector<uint32_t> optionalPorts; // left unconnected
    int32_t latencyPort = -1;            // position in controlOut, -1 for none
    bool hasState = false;
};

class Lv2World {
public:
    Lv2World();
    ~Lv2World();
    Lv2World(const Lv2World&) = delete;
    Lv2World& operator=(const Lv2World&) = delete;

    // The one world of this server load.
    static Lv2World& instance();

    LilvWorld* world() const { return m_world; }
    const std::vector<PluginInfo>& plugins() const { return m_plugins; }

    LV2_URID_Map* map() { return &m_map; }
    LV2_URID_Unmap* unmap() { return &m_unmap; }
    // The features every instance is given, null-terminated.
    const LV2_Feature* const* features() const { return m_featureList; }
    uint32_t urid(const char* uri);

private:
    bool describe(const LilvPlugin* plugin, PluginInfo& info);
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri);
    static const char* unmapUri(LV2_URID_Unmap_Handle handle, LV2_URID urid);

    LilvWorld* m_world = nullptr;
    std::vector<PluginInfo> m_plugins;

    std::mutex m_uridLock;
    std::unordered_map<std::string, LV2_URID> m_urids;
    std::deque<std::string> m_uris; // URID - 1 -> URI; a deque never moves what it holds
    LV2_URID_Map m_map{};
    LV2_URID_Unmap m_unmap{};
    LV2_Feature m_mapFeature{};
    LV2_Feature m_unmapFeature{};
    const LV2_Feature* m_featureList[3] = {};
};

} // namespace quillon::lv2
