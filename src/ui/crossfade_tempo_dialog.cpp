#include "ui/crossfade_tempo_dialog.h"

#include "model/crossfade.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace quillon {

namespace {

QString bpm(int tempo) { return QCoreApplication::translate("CrossfadeTempoDialog", "%1 BPM").arg(tempo); }

} // namespace

CrossfadeTempoDialog::CrossfadeTempoDialog(float x, float y, QWidget* parent)
    : QDialog(parent), m_tempo((x + y) / 2.0f)
{
    setWindowTitle(tr("Crossfade Tempo"));
    auto* text = new QLabel(tr("The two crossfaded audio files do not seem to have the same tempo. Do you wish "
                               "to time scale the clips?"));
    text->setWordWrap(true);
    m_gradual = new QRadioButton(tr("Gradually alter tempo within transition"));
    m_hard = new QRadioButton(tr("Hard tempo scale within transition"));
    m_gradual->setChecked(true);

    const int low = int(x);
    const int high = int(y);
    m_slider = new QSlider(Qt::Horizontal);
    m_slider->setRange(low, high);
    m_slider->setValue(int(m_tempo));
    m_current = new QLabel(bpm(int(m_tempo)));
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        m_tempo = float(value);
        m_current->setText(bpm(value));
    });

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Common Tempo:")), 0, 0);
    grid->addWidget(new QLabel(bpm(low)), 0, 1);
    grid->addWidget(m_slider, 0, 2);
    grid->addWidget(new QLabel(bpm(high)), 0, 3);
    grid->addWidget(m_current, 0, 4);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(m_gradual);
    layout->addWidget(m_hard);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

TempoChoice CrossfadeTempoDialog::choice() const
{
    return TempoChoice{m_hard->isChecked() ? kTempoHard : kTempoGradual, m_tempo};
}

std::optional<TempoChoice> CrossfadeTempoChooser::chooseTempo(float x, float y)
{
    // The measuring shows the wait cursor; over the question the arrow comes back.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    CrossfadeTempoDialog dialog(x, y, m_parent);
    const int answer = dialog.exec();
    QApplication::restoreOverrideCursor();
    if (answer != QDialog::Accepted)
        return std::nullopt;
    if (m_beforeApply)
        m_beforeApply();
    return dialog.choice();
}

} // namespace quillon
