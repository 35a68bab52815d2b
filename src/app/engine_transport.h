#pragma once
// The engine's transport behind the views' TransportControl: the play commands, the
// 25 ms position timer of the timeline and the label and scrub steps go to the
// playback thread the engine runs. User-interface thread only.

#include "engine/transport.h"
#include "ui/transport_control.h"

namespace quillon {

class CMultitrackerDoc;
class CMultitrackerView;
class SettingsStore;

class EngineTransport : public TransportControl {
public:
    // `view` receives the position timer once a playback has opened its device.
    EngineTransport(CMultitrackerDoc& doc, SettingsStore& settings, CMultitrackerView& view);
    ~EngineTransport() override;

    void play(const SampleRange& range, const std::vector<int32_t>* tracks, bool loop) override;
    void stopCommand() override;
    void jumpTo(int32_t position) override;
    bool updatePlayPosition() override;
    void scrub(int32_t step) override;
    void previousLabel() override;
    void nextLabel() override;
    void stopPlayback() override;
    bool isPlaying() const override;

    Transport& engine() { return m_transport; }

private:
    CMultitrackerDoc& m_doc;
    Transport m_transport;
};

} // namespace quillon
