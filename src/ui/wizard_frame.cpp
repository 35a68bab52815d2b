#include "ui/wizard_frame.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace quillon {

WizardFrame::WizardFrame(const QString& caption, QWidget* parent) : QDialog(parent)
{
    setObjectName("Wizard");
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    m_step = new QLabel(this);
    m_description = new QLabel(this);
    m_description->setWordWrap(true);
    layout->addWidget(m_step);
    layout->addWidget(m_description);
    m_stack = new QStackedWidget(this);
    layout->addWidget(m_stack, 1);
    auto* buttons = new QHBoxLayout;
    m_previous = new QPushButton(tr("< &Previous"), this);
    m_next = new QPushButton(tr("&Next >"), this);
    m_third = new QPushButton(tr("Cancel"), this);
    buttons->addStretch(1);
    buttons->addWidget(m_previous);
    buttons->addWidget(m_next);
    buttons->addWidget(m_third);
    layout->addLayout(buttons);
    connect(m_previous, &QPushButton::clicked, this, &WizardFrame::previous);
    connect(m_next, &QPushButton::clicked, this, &WizardFrame::next);
    connect(m_third, &QPushButton::clicked, this, &WizardFrame::third);
    setFlags(0);
}

void WizardFrame::addPage(WizardPage* page)
{
    m_pages.push_back(page);
    m_stack->addWidget(page);
}

WizardPage* WizardFrame::currentPage() const
{
    return m_current >= 0 && m_current < int(m_pages.size()) ? m_pages[size_t(m_current)] : nullptr;
}

void WizardFrame::start()
{
    if (!m_pages.empty())
        showPage(0);
}

void WizardFrame::setFlags(int flags)
{
    m_flags = flags;
    m_previous->setEnabled(flags & kPrevious);
    m_next->setEnabled(flags & kNext);
    m_third->setText(flags & kFinish ? tr("Finish") : tr("Cancel"));
}

void WizardFrame::showPage(int index)
{
    m_current = index;
    WizardPage* page = m_pages[size_t(index)];
    m_stack->setCurrentWidget(page);
    m_step->setText(tr(kStepText).arg(index + 1).arg(m_pages.size()));
    m_description->setText(page->description());
    page->activate(*this);
}

void WizardFrame::next()
{
    if (!(m_flags & kNext) || m_current + 1 >= int(m_pages.size()))
        return;
    currentPage()->leave();
    showPage(m_current + 1);
}

void WizardFrame::previous()
{
    if (!(m_flags & kPrevious) || m_current <= 0)
        return;
    currentPage()->leave();
    showPage(m_current - 1);
}

void WizardFrame::third()
{
    if (m_flags & kFinish) {
        emit finishing();
        accept();
    } else {
        reject();
    }
}

} // namespace quillon
