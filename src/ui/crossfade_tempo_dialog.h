#pragma once
// "Crossfade Tempo": how and to which common tempo the two clips of a crossfade are
// time-scaled, between the folded tempos X and Y the tempo matcher measured. The
// common tempo starts half way, unrounded, and takes the slider's whole BPM once the
// slider moves.

#include "model/tempo_matcher.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QRadioButton;
class QSlider;

namespace quillon {

class CrossfadeTempoDialog : public QDialog {
    Q_OBJECT
public:
    CrossfadeTempoDialog(float x, float y, QWidget* parent = nullptr);

    TempoChoice choice() const;

    QRadioButton* gradualButton() const { return m_gradual; }
    QRadioButton* hardButton() const { return m_hard; }
    QSlider* slider() const { return m_slider; }
    QLabel* currentLabel() const { return m_current; }

private:
    float m_tempo;
    QRadioButton* m_gradual;
    QRadioButton* m_hard;
    QSlider* m_slider;
    QLabel* m_current;
};

// Asks through the dialog; `beforeApply` runs when the user confirms, before the
// matcher changes anything (the caller's undo step).
class CrossfadeTempoChooser : public TempoChooser {
public:
    CrossfadeTempoChooser(QWidget* parent, std::function<void()> beforeApply)
        : m_parent(parent), m_beforeApply(std::move(beforeApply))
    {
    }
    std::optional<TempoChoice> chooseTempo(float x, float y) override;

private:
    QWidget* m_parent;
    std::function<void()> m_beforeApply;
};

} // namespace quillon
