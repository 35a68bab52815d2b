#include "ui/compilation_page.h"

#include "model/wizard_compilation.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QSpinBox>

namespace quillon {

CompilationPage::CompilationPage(QWidget* parent) : WizardPage(parent)
{
    auto* form = new QFormLayout(this);
    m_burn = new QCheckBox(tr("Burn project immediately"), this);
    m_cover = new QCheckBox(tr("Launch Varda Cover Designer"), this);
    m_pause = new QRadioButton(tr("Pause"), this);
    m_crossfade = new QRadioButton(tr("Crossfade"), this);
    m_pause->setChecked(true);
    m_seconds = new QSpinBox(this);
    m_seconds->setRange(0, 60);
    m_seconds->setValue(2);
    m_milliseconds = new QSpinBox(this);
    m_milliseconds->setRange(0, 999);
    form->addRow(m_burn);
    form->addRow(m_cover);
    form->addRow(m_pause);
    form->addRow(m_crossfade);
    form->addRow(tr("Seconds:"), m_seconds);
    form->addRow(tr("Milliseconds:"), m_milliseconds);
}

QString CompilationPage::description() const
{
    return tr("Set the length of the pause between tracks or the length of the overlap if you want tracks crossfaded "
              "into each other.");
}

void CompilationPage::activate(WizardFrame& frame) { frame.setFlags(WizardFrame::kPrevious | WizardFrame::kFinish); }

int32_t CompilationPage::gap(uint32_t rate) const
{
    return WizardCompilation::gapFrames(rate, m_seconds->value(), m_milliseconds->value(), m_crossfade->isChecked());
}

bool CompilationPage::burn() const { return m_burn->isChecked(); }
bool CompilationPage::cover() const { return m_cover->isChecked(); }

} // namespace quillon
