#pragma once
// The properties of one label, by its kind: "Track Split Properties" (position, the
// pause before the CD track, CD-TEXT title and artist), "Index Properties" (position
// only) and "Label Properties" (position and title).
//
// A field the user leaves alone keeps the label's exact value (the fields hold whole
// milliseconds only). Minutes are not wrapped at 60 and, like the pause seconds,
// reach as far as a sample position can at the project rate.

#include "model/project_label.h"

#include <QDialog>

class QLineEdit;
class QSpinBox;

namespace quillon {

class CMultitrackerDoc;

class LabelPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    LabelPropertiesDialog(const ProjectLabel& label, int32_t rate, QWidget* parent = nullptr);

    // The label as the dialog leaves it (kind unchanged).
    ProjectLabel result() const;

    // Gives `label` the edited values: one undo step and the modified flag when
    // anything changed, the label re-sorted into the list when its position did, and
    // the views told. False (no step) when nothing changed or the label is gone.
    static bool apply(CMultitrackerDoc& doc, ProjectLabel* label, const ProjectLabel& edited);
    // Opens the dialog for a label of the document and applies it on OK.
    static bool edit(CMultitrackerDoc& doc, ProjectLabel* label, QWidget* parent);

    QSpinBox* minutesBox() const { return m_minutes; }
    QSpinBox* secondsBox() const { return m_seconds; }
    QSpinBox* millisecondsBox() const { return m_milliseconds; }
    QSpinBox* pauseSecondsBox() const { return m_pauseSeconds; }
    QSpinBox* pauseMillisecondsBox() const { return m_pauseMilliseconds; }
    QLineEdit* titleEdit() const { return m_title; }
    QLineEdit* artistEdit() const { return m_artist; }

private:
    ProjectLabel m_label;
    int32_t m_rate;
    LabelPositionFields m_position;
    LabelPauseFields m_pause;
    QSpinBox* m_minutes = nullptr;
    QSpinBox* m_seconds = nullptr;
    QSpinBox* m_milliseconds = nullptr;
    QSpinBox* m_pauseSeconds = nullptr;
    QSpinBox* m_pauseMilliseconds = nullptr;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_artist = nullptr;
};

} // namespace quillon
