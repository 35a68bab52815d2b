#pragma once
// The recording lines of a sound card's mixer (ALSA controls): lists the sources that can
// be recorded, selects one through the capture multiplexer and sets its recording volume.
// Every operation reports a missing control or a refused change as false and then
// changes nothing.
//
// The multiplexer ("Capture Source" or "Input Source") lists its items in the reverse
// order of the source list, so source i is multiplexer item (item count - i - 1). A
// source without a capture volume of its own is recorded at the multiplexer's
// "Capture Volume", which then serves as its volume.
//
// Threads: one object belongs to one thread (the recording console's).

#include <string>
#include <vector>

struct _snd_ctl;

namespace quillon {

class MixerLineControl {
public:
    MixerLineControl() = default;
    ~MixerLineControl();
    MixerLineControl(const MixerLineControl&) = delete;
    MixerLineControl& operator=(const MixerLineControl&) = delete;

    // The mixer of a wave input device (an index into WaveInputDevice::deviceNames(),
    // -1 for the system default): the card named in the device's name ("(hw:N,M)"),
    // else the default control device.
    bool open(int inputDeviceId);
    // An ALSA control device by name ("default", "hw:0").
    bool openControl(const std::string& name);
    void close();
    bool isOpen() const { return m_ctl != nullptr; }

    // The recording sources in source order; false (and an empty list) without any.
    bool listSources(std::vector<std::string>& names) const;
    // Selects source `index` on the multiplexer.
    bool selectSource(int index);
    // Sets the volume of source `index` to min + truncate((max - min) x level), the same
    // on every channel; `level` is 0..1.
    bool setSourceVolume(int index, double level);

    // The control device that belongs to a PortAudio device name.
    static std::string controlNameFor(const std::string& deviceName);

private:
    struct Element;
    bool findMultiplexer(Element& out) const;
    bool findInteger(const std::string& name, Element& out) const;
    std::vector<Element> elements() const;

    _snd_ctl* m_ctl = nullptr;
};

} // namespace quillon
