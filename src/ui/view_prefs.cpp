#include "ui/view_prefs.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace quillon {

CViewPrefs::CViewPrefs(bool scaleTrackHeights, bool showClipText, QWidget* parent)
    : QWidget(parent), m_scale(new QCheckBox(tr("Automatically scale track heights to fill the main window"))),
      m_clipText(new QCheckBox(tr("Show path name in audio clips")))
{
    m_scale->setChecked(scaleTrackHeights);
    m_clipText->setChecked(showClipText);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_scale);
    layout->addWidget(m_clipText);
    layout->addStretch(1);
}

bool CViewPrefs::scaleTrackHeights() const { return m_scale->isChecked(); }
bool CViewPrefs::showClipText() const { return m_clipText->isChecked(); }

} // namespace quillon
