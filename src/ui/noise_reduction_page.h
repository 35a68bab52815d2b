#pragma once
// The wizard's third page: "Denoiser Level", "Derumble Level" (effect A) and, for the
// LP wizard, "Declicker Level" and "Decrackler Level" (effect B), each 0..100, and
// "Preview", which plays the whole recording through the effects from the start; a
// moved control is heard at once.
//
// Threads: user-interface thread.

#include "model/transform_plugin.h"
#include "ui/wizard_frame.h"

#include <memory>
#include <string>
#include <vector>

class QPushButton;
class QSlider;

namespace quillon {

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

private:
    void levelChanged(int index);

    CMultitrackerDoc& m_doc;
    Prompter& m_prompter;
    TransportControl* m_transport;
    const bool m_lp;
    std::string m_recording;
    QSlider* m_sliders[4] = {};
    QPushButton* m_preview = nullptr;
    // The effects of a running preview, in the first track's chain.
    CTransformPlugin* m_live[2] = {};
};

} // namespace quillon
