#pragma once
// The wizard's third page: "Denoiser Level", "Derumble Level" (effect A) and, for the
// LP wizard, "Declicker Level" and "Decrackler Level" (effect B), each 0..100, and
// "Preview", which plays the whole recording through the effects from the start; a
// moved control is heard at once. Two meters show the preview's output, and "Hear what
// is removed" turns the preview into the difference between the recording and the
// restored sound, so that music cut away by too high a level is heard at once.
//
// Threads: user-interface thread.

#include "model/transform_plugin.h"
#include "ui/wizard_frame.h"

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QPushButton;
class QSlider;
class QTimer;

namespace quillon {

class CLEDMeter;
class CMultitrackerDoc;
class Prompter;
class TransportControl;

class NoiseReductionPage : public WizardPage {
    Q_OBJECT
public:
    static constexpr const char* kEffectA = "Noise Reduction";
    static constexpr const char* kEffectB = "Click Reduction";

    NoiseReductionPage(CMultitrackerDoc& doc, Prompter& prompter, TransportControl* transport, bool lp,
                       QWidget* parent = nullptr);

    void setRecording(const std::string& path) { m_recording = path; }
    QString description() const override;
    void activate(WizardFrame& frame) override;
    void leave() override;

    // Effect A and, for the LP wizard, effect B at the current levels; empty (after the
    // message) when an effect cannot be created.
    std::vector<std::unique_ptr<CTransformPlugin>> buildEffects();
    void preview();

    QSlider* slider(int index) const { return m_sliders[index]; }
    QPushButton* previewButton() const { return m_preview; }
    QCheckBox* removedSwitch() const { return m_removed; }
    CLEDMeter* meter(int channel) const { return m_meters[channel]; }
    bool metering() const;
    // The effects' parameter that makes their output what they take away.
    static constexpr uint32_t kRemovedOnlyA = 3;
    static constexpr uint32_t kRemovedOnlyB = 2;

private:
    void levelChanged(int index);
    void applyRemovedSwitch();
    void feedMeters();
    void stopPreview();

    CMultitrackerDoc& m_doc;
    Prompter& m_prompter;
    TransportControl* m_transport;
    const bool m_lp;
    std::string m_recording;
    QSlider* m_sliders[4] = {};
    QPushButton* m_preview = nullptr;
    QCheckBox* m_removed = nullptr;
    CLEDMeter* m_meters[2] = {};
    QTimer* m_meterTimer = nullptr;
    // The effects of a running preview, in the first track's chain.
    CTransformPlugin* m_live[2] = {};
};

} // namespace quillon
