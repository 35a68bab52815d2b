#pragma once
// The wizard's last page: "Burn project immediately", "Launch Varda Cover Designer",
// "Pause" or "Crossfade" between the tracks and its length in seconds and milliseconds.
//
// Threads: user-interface thread.

#include "ui/wizard_frame.h"

class QCheckBox;
class QRadioButton;
class QSpinBox;

namespace quillon {

class CompilationPage : public WizardPage {
    Q_OBJECT
public:
    explicit CompilationPage(QWidget* parent = nullptr);
    QString description() const override;
    void activate(WizardFrame& frame) override;

    // Frames between pieces at `rate`: negative for a crossfade.
    int32_t gap(uint32_t rate) const;
    bool burn() const;
    bool cover() const;

    QCheckBox* burnBox() const { return m_burn; }
    QCheckBox* coverBox() const { return m_cover; }
    QRadioButton* pauseButton() const { return m_pause; }
    QRadioButton* crossfadeButton() const { return m_crossfade; }
    QSpinBox* secondsBox() const { return m_seconds; }
    QSpinBox* millisecondsBox() const { return m_milliseconds; }

private:
    QCheckBox* m_burn;
    QCheckBox* m_cover;
    QRadioButton* m_pause;
    QRadioButton* m_crossfade;
    QSpinBox* m_seconds;
    QSpinBox* m_milliseconds;
};

} // namespace quillon
