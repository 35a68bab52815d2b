#include "engine/mixer_line_control.h"

#include "engine/portaudio_session.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <regex>

namespace quillon {

namespace {

constexpr const char* kMultiplexerNames[] = {"Capture Source", "Input Source"};
constexpr const char* kCaptureVolume = " Capture Volume";
constexpr const char* kCaptureSwitch = " Capture Switch";

struct InfoDeleter {
    void operator()(snd_ctl_elem_info_t* p) const { snd_ctl_elem_info_free(p); }
};
struct ValueDeleter {
    void operator()(snd_ctl_elem_value_t* p) const { snd_ctl_elem_value_free(p); }
};
struct ListDeleter {
    void operator()(snd_ctl_elem_list_t* p) const
    {
        snd_ctl_elem_list_free_space(p);
        snd_ctl_elem_list_free(p);
    }
};

bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() > tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

struct MixerLineControl::Element {
    unsigned int numid = 0;
    std::string name;
    snd_ctl_elem_type_t type = SND_CTL_ELEM_TYPE_NONE;
    unsigned int count = 0;       // values (channels)
    unsigned int items = 0;       // enumerated items
    long minimum = 0, maximum = 0; // integer range
};

MixerLineControl::~MixerLineControl()
{
    close();
}

std::string MixerLineControl::controlNameFor(const std::string& deviceName)
{
    static const std::regex card(R"(\(hw:(\d+))");
    std::smatch m;
    if (std::regex_search(deviceName, m, card))
        return "hw:" + m[1].str();
    return "default";
}

bool MixerLineControl::open(int inputDeviceId)
{
    close();
    PortAudioSession session;
    const int device = session.resolve(inputDeviceId, false);
    std::string name;
    for (const PortAudioSession::Device& d : session.devices(false))
        if (d.index == device)
            name = d.name;
    return openControl(controlNameFor(name));
}

bool MixerLineControl::openControl(const std::string& name)
{
    close();
    snd_ctl_t* ctl = nullptr;
    if (snd_ctl_open(&ctl, name.c_str(), 0) < 0)
        return false;
    m_ctl = ctl;
    return true;
}

void MixerLineControl::close()
{
    if (m_ctl) {
        snd_ctl_close(m_ctl);
        m_ctl = nullptr;
    }
}

std::vector<MixerLineControl::Element> MixerLineControl::elements() const
{
    std::vector<Element> result;
    if (!m_ctl)
        return result;
    snd_ctl_elem_list_t* rawList = nullptr;
    if (snd_ctl_elem_list_malloc(&rawList) < 0)
        return result;
    std::unique_ptr<snd_ctl_elem_list_t, ListDeleter> list(rawList);
    if (snd_ctl_elem_list(m_ctl, list.get()) < 0)
        return result;
    const unsigned int count = snd_ctl_elem_list_get_count(list.get());
    if (count == 0 || snd_ctl_elem_list_alloc_space(list.get(), count) < 0 || snd_ctl_elem_list(m_ctl, list.get()) < 0)
        return result;

    snd_ctl_elem_info_t* rawInfo = nullptr;
    if (snd_ctl_elem_info_malloc(&rawInfo) < 0)
        return result;
    std::unique_ptr<snd_ctl_elem_info_t, InfoDeleter> info(rawInfo);
    const unsigned int used = snd_ctl_elem_list_get_used(list.get());
    for (unsigned int i = 0; i < used; ++i) {
        if (snd_ctl_elem_list_get_interface(list.get(), i) != SND_CTL_ELEM_IFACE_MIXER)
            continue;
        snd_ctl_elem_info_clear(info.get());
        snd_ctl_elem_info_set_numid(info.get(), snd_ctl_elem_list_get_numid(list.get(), i));
        if (snd_ctl_elem_info(m_ctl, info.get()) < 0)
            continue;
        Element e;
        e.numid = snd_ctl_elem_info_get_numid(info.get());
        e.name = snd_ctl_elem_info_get_name(info.get());
        e.type = snd_ctl_elem_info_get_type(info.get());
        e.count = snd_ctl_elem_info_get_count(info.get());
        if (e.type == SND_CTL_ELEM_TYPE_ENUMERATED)
            e.items = snd_ctl_elem_info_get_items(info.get());
        else if (e.type == SND_CTL_ELEM_TYPE_INTEGER) {
            e.minimum = snd_ctl_elem_info_get_min(info.get());
            e.maximum = snd_ctl_elem_info_get_max(info.get());
        }
        result.push_back(std::move(e));
    }
    return result;
}

bool MixerLineControl::findMultiplexer(Element& out) const
{
    for (const Element& e : elements()) {
        if (e.type != SND_CTL_ELEM_TYPE_ENUMERATED || e.items == 0)
            continue;
        for (const char* name : kMultiplexerNames) {
            if (e.name == name) {
                out = e;
                return true;
            }
        }
    }
    return false;
}

bool MixerLineControl::findInteger(const std::string& name, Element& out) const
{
    for (const Element& e : elements()) {
        if (e.type == SND_CTL_ELEM_TYPE_INTEGER && e.name == name && e.count > 0) {
            out = e;
            return true;
        }
    }
    return false;
}

bool MixerLineControl::listSources(std::vector<std::string>& names) const
{
    names.clear();
    if (!m_ctl)
        return false;
    Element mux;
    if (findMultiplexer(mux)) {
        snd_ctl_elem_info_t* rawInfo = nullptr;
        if (snd_ctl_elem_info_malloc(&rawInfo) < 0)
            return false;
        std::unique_ptr<snd_ctl_elem_info_t, InfoDeleter> info(rawInfo);
        std::vector<std::string> items;
        for (unsigned int i = 0; i < mux.items; ++i) {
            snd_ctl_elem_info_clear(info.get());
            snd_ctl_elem_info_set_numid(info.get(), mux.numid);
            snd_ctl_elem_info_set_item(info.get(), i);
            if (snd_ctl_elem_info(m_ctl, info.get()) < 0)
                return false;
            items.emplace_back(snd_ctl_elem_info_get_item_name(info.get()));
        }
        names.assign(items.rbegin(), items.rend());
        return true;
    }
    // Without a multiplexer every line with a capture control of its own is a source.
    for (const Element& e : elements()) {
        std::string line;
        if (endsWith(e.name, kCaptureVolume))
            line = e.name.substr(0, e.name.size() - std::char_traits<char>::length(kCaptureVolume));
        else if (endsWith(e.name, kCaptureSwitch))
            line = e.name.substr(0, e.name.size() - std::char_traits<char>::length(kCaptureSwitch));
        if (!line.empty() && std::find(names.begin(), names.end(), line) == names.end())
            names.push_back(line);
    }
    return !names.empty();
}

bool MixerLineControl::selectSource(int index)
{
    Element mux;
    if (!m_ctl || !findMultiplexer(mux) || index < 0 || static_cast<unsigned int>(index) >= mux.items)
        return false;
    snd_ctl_elem_value_t* rawValue = nullptr;
    if (snd_ctl_elem_value_malloc(&rawValue) < 0)
        return false;
    std::unique_ptr<snd_ctl_elem_value_t, ValueDeleter> value(rawValue);
    snd_ctl_elem_value_set_numid(value.get(), mux.numid);
    const unsigned int item = mux.items - static_cast<unsigned int>(index) - 1;
    for (unsigned int c = 0; c < mux.count; ++c)
        snd_ctl_elem_value_set_enumerated(value.get(), c, item);
    return snd_ctl_elem_write(m_ctl, value.get()) >= 0;
}

bool MixerLineControl::setSourceVolume(int index, double level)
{
    std::vector<std::string> sources;
    if (!listSources(sources) || index < 0 || static_cast<size_t>(index) >= sources.size())
        return false;
    Element volume;
    Element mux;
    if (!findInteger(sources[static_cast<size_t>(index)] + kCaptureVolume, volume) &&
        !(findMultiplexer(mux) && findInteger("Capture Volume", volume)))
        return false;
    if (std::isnan(level))
        return false;
    level = std::clamp(level, 0.0, 1.0);
    const long v = volume.minimum + static_cast<long>(static_cast<double>(volume.maximum - volume.minimum) * level);

    snd_ctl_elem_value_t* rawValue = nullptr;
    if (snd_ctl_elem_value_malloc(&rawValue) < 0)
        return false;
    std::unique_ptr<snd_ctl_elem_value_t, ValueDeleter> value(rawValue);
    snd_ctl_elem_value_set_numid(value.get(), volume.numid);
    for (unsigned int c = 0; c < volume.count; ++c)
        snd_ctl_elem_value_set_integer(value.get(), c, v);
    return snd_ctl_elem_write(m_ctl, value.get()) >= 0;
}

} // namespace quillon
