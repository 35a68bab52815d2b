#pragma once
// The "View" page of the preferences: scaling the track heights to the window and the
// clip texts. It only edits; the sheet stores.
// User-interface thread only.

#include <QWidget>

class QCheckBox;

namespace quillon {

class CViewPrefs : public QWidget {
    Q_OBJECT
public:
    CViewPrefs(bool scaleTrackHeights, bool showClipText, QWidget* parent = nullptr);

    bool scaleTrackHeights() const;
    bool showClipText() const;
    QCheckBox* scaleBox() const { return m_scale; }
    QCheckBox* clipTextBox() const { return m_clipText; }

private:
    QCheckBox* m_scale;
    QCheckBox* m_clipText;
};

} // namespace quillon
