#include "lv2_world.h"

#include <lv2/core/lv2.h>
#include <lv2/port-props/port-props.h>
#include <lv2/state/state.h>
#include <lv2/units/units.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace quillon::lv2 {

namespace {

// Features a plug-in may require that need nothing from us beyond how we already call it.
constexpr const char* kPromisedFeatures[] = {
    LV2_CORE__hardRTCapable,
    LV2_CORE__inPlaceBroken, // we always hand over separate input and output buffers
    LV2_CORE__isLive,
    LV2_URID__map,
    LV2_URID__unmap,
};

// Owns a node that lilv hands over to the caller.
struct NodeFree {
    void operator()(LilvNode* n) const { lilv_node_free(n); }
};
using Node = std::unique_ptr<LilvNode, NodeFree>;

uint64_t fnv1a(const std::string& text, uint64_t seed)
{
    uint64_t h = seed;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001B3ull;
    }
    return h;
}

// A stable identity from the plug-in's URI, so that a saved project finds the same plug-in.
QuillonIdentifier identityOf(const std::string& uri)
{
    const uint64_t a = fnv1a(uri, 0xCBF29CE484222325ull);
    const uint64_t b = fnv1a(uri, 0x84222325CBF29CE4ull ^ a);
    return {{uint32_t(a >> 32), uint32_t(a), uint32_t(b >> 32), uint32_t(b)}};
}

// Menu parts must not carry the characters the menu lines use as structure.
std::string menuPart(std::string text)
{
    for (char& c : text)
        if (c == '\\' || c == '[' || c == ']' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

} // namespace

Lv2World& Lv2World::instance()
{
    static Lv2World world;
    return world;
}

Lv2World::Lv2World()
{
    m_map.handle = this;
    m_map.map = &mapUri;
    m_unmap.handle = this;
    m_unmap.unmap = &unmapUri;
    m_mapFeature = {LV2_URID__map, &m_map};
    m_unmapFeature = {LV2_URID__unmap, &m_unmap};
    m_featureList[0] = &m_mapFeature;
    m_featureList[1] = &m_unmapFeature;
    m_featureList[2] = nullptr;

    m_world = lilv_world_new();
    if (!m_world)
        return;
    lilv_world_load_all(m_world);
    const LilvPlugins* all = lilv_world_get_all_plugins(m_world);
    LILV_FOREACH (plugins, it, all) {
        PluginInfo info;
        if (describe(lilv_plugins_get(all, it), info))
            m_plugins.push_back(std::move(info));
    }
    // A fixed order (by name, then URI) keeps the catalogue the same from one start to the next.
    std::sort(m_plugins.begin(), m_plugins.end(), [](const PluginInfo& a, const PluginInfo& b) {
        return a.name != b.name ? a.name < b.name : a.uri < b.uri;
    });
}

Lv2World::~Lv2World()
{
    if (m_world)
        lilv_world_free(m_world);
}

uint32_t Lv2World::urid(const char* uri) { return mapUri(this, uri); }

LV2_URID Lv2World::mapUri(LV2_URID_Map_Handle handle, const char* uri)
{
    auto* self = static_cast<Lv2World*>(handle);
    if (!uri)
        return 0;
    std::lock_guard lock(self->m_uridLock);
    auto [it, added] = self->m_urids.try_emplace(uri, LV2_URID(self->m_uris.size() + 1));
    if (added)
        self->m_uris.emplace_back(uri);
    return it->second;
}

const char* Lv2World::unmapUri(LV2_URID_Unmap_Handle handle, LV2_URID urid)
{
    auto* self = static_cast<Lv2World*>(handle);
    std::lock_guard lock(self->m_uridLock);
    return urid >= 1 && urid <= self->m_uris.size() ? self->m_uris[urid - 1].c_str() : nullptr;
}

bool Lv2World::describe(const LilvPlugin* plugin, PluginInfo& info)
{
    // Plug-ins known to corrupt the host's memory (this one frees memory it never
    // allocated when an instance goes) are never offered: one would take the program down.
    static constexpr const char* kHarmful[] = {"http://plugin.org.uk/swh-plugins/hermesFilter"};
    const char* uri = lilv_node_as_uri(lilv_plugin_get_uri(plugin));
    for (const char* harmful : kHarmful)
        if (uri && std::strcmp(uri, harmful) == 0)
            return false;
    LilvWorld* w = m_world;
    // Required features: everything must be something we provide or promise.
    if (LilvNodes* required = lilv_plugin_get_required_features(plugin)) {
        bool missing = false;
        LILV_FOREACH (nodes, it, required) {
            const char* uri = lilv_node_as_uri(lilv_nodes_get(required, it));
            if (!uri || std::none_of(std::begin(kPromisedFeatures), std::end(kPromisedFeatures),
                                     [&](const char* f) { return std::string(f) == uri; }))
                missing = true;
        }
        lilv_nodes_free(required);
        if (missing)
            return false;
    }

    const Node audio(lilv_new_uri(w, LV2_CORE__AudioPort));
    const Node control(lilv_new_uri(w, LV2_CORE__ControlPort));
    const Node input(lilv_new_uri(w, LV2_CORE__InputPort));
    const Node output(lilv_new_uri(w, LV2_CORE__OutputPort));
    const Node optional(lilv_new_uri(w, LV2_CORE__connectionOptional));
    const Node toggled(lilv_new_uri(w, LV2_CORE__toggled));
    const Node integer(lilv_new_uri(w, LV2_CORE__integer));
    const Node enumeration(lilv_new_uri(w, LV2_CORE__enumeration));
    const Node sampleRate(lilv_new_uri(w, LV2_CORE__sampleRate));
    const Node reportsLatency(lilv_new_uri(w, LV2_CORE__reportsLatency));
    const Node unitProperty(lilv_new_uri(w, LV2_UNITS__unit));
    const Node unitSymbol(lilv_new_uri(w, LV2_UNITS__symbol));
    const Node stateInterface(lilv_new_uri(w, LV2_STATE__interface));

    const uint32_t ports = lilv_plugin_get_num_ports(plugin);
    std::vector<float> minimum(ports), maximum(ports), defaults(ports);
    lilv_plugin_get_port_ranges_float(plugin, minimum.data(), maximum.data(), defaults.data());

    for (uint32_t i = 0; i < ports; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        if (!port)
            return false;
        const bool isInput = lilv_port_is_a(plugin, port, input.get());
        const bool isOutput = lilv_port_is_a(plugin, port, output.get());
        if (lilv_port_is_a(plugin, port, audio.get()) && (isInput || isOutput)) {
            (isInput ? info.audioIn : info.audioOut).push_back(i);
        } else if (lilv_port_is_a(plugin, port, control.get()) && isOutput) {
            if (lilv_port_has_property(plugin, port, reportsLatency.get()))
                info.latencyPort = int32_t(info.controlOut.size());
            info.controlOut.push_back(i);
        } else if (lilv_port_is_a(plugin, port, control.get()) && isInput) {
            ControlPort c;
            c.index = i;
            const Node name(lilv_port_get_name(plugin, port));
            c.symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
            c.name = name ? lilv_node_as_string(name.get()) : c.symbol;
            c.scalesWithRate = lilv_port_has_property(plugin, port, sampleRate.get());
            c.minimum = std::isnan(minimum[i]) ? 0.0f : minimum[i];
            c.maximum = std::isnan(maximum[i]) ? std::max(1.0f, c.minimum) : maximum[i];
            if (c.maximum < c.minimum)
                std::swap(c.minimum, c.maximum);
            c.defaultValue = std::isnan(defaults[i]) ? c.minimum : std::clamp(defaults[i], c.minimum, c.maximum);
            c.kind = lilv_port_has_property(plugin, port, toggled.get()) ? QUILLON_FX_PARAM_SWITCH
                     : (lilv_port_has_property(plugin, port, integer.get()) ||
                        lilv_port_has_property(plugin, port, enumeration.get()))
                         ? QUILLON_FX_PARAM_STEPPED
                         : QUILLON_FX_PARAM_CONTINUOUS;
            if (c.kind == QUILLON_FX_PARAM_SWITCH) {
                c.minimum = 0.0f;
                c.maximum = 1.0f;
            }
            if (LilvNodes* units = lilv_port_get_value(plugin, port, unitProperty.get())) {
                const LilvNode* unit = lilv_nodes_get_first(units);
                if (unit && lilv_node_is_uri(unit))
                    if (const Node symbol{lilv_world_get(w, unit, unitSymbol.get(), nullptr)}; symbol)
                        c.unit = lilv_node_as_string(symbol.get());
                lilv_nodes_free(units);
            }
            info.controls.push_back(std::move(c));
        } else if (lilv_port_has_property(plugin, port, optional.get())) {
            info.optionalPorts.push_back(i);
        } else {
            // A port we cannot feed (events, CV, ...) that the plug-in insists on.
            return false;
        }
    }
    const size_t channels = info.audioIn.size();
    if (channels < 1 || channels > 2 || info.audioOut.size() != channels)
        return false;

    info.plugin = plugin;
    info.uri = lilv_node_as_uri(lilv_plugin_get_uri(plugin));
    const Node name(lilv_plugin_get_name(plugin));
    info.name = name ? lilv_node_as_string(name.get()) : info.uri;
    info.identity = identityOf(info.uri);
    info.hasState = lilv_plugin_has_extension_data(plugin, stateInterface.get());
    std::string group;
    if (const LilvPluginClass* cls = lilv_plugin_get_class(plugin))
        if (const LilvNode* label = lilv_plugin_class_get_label(cls))
            group = lilv_node_as_string(label);
    // The generic class says nothing; such plug-ins sit directly in the LV2 menu.
    info.menu = (group.empty() || group == "Plugin") ? "LV2\\" : "LV2\\" + menuPart(group) + "\\";
    return true;
}

} // namespace quillon::lv2
