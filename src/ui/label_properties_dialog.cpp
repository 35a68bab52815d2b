#include "ui/label_properties_dialog.h"

#include "base/view_hints.h"
#include "model/curve_point.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <mutex>

namespace quillon {

namespace {

QSpinBox* spin(int maximum, int value, const char* name)
{
    auto* box = new QSpinBox;
    box->setRange(0, std::max(maximum, value));
    box->setValue(value);
    box->setObjectName(QLatin1String(name));
    return box;
}

QLineEdit* line(const std::string& text, const char* name)
{
    auto* edit = new QLineEdit(QString::fromStdString(text));
    edit->setObjectName(QLatin1String(name));
    return edit;
}

bool holds(CLabelList& labels, const ProjectLabel* label)
{
    std::lock_guard<CLabelList> guard(labels);
    CLabelList::Cursor c;
    for (ProjectLabel* l = labels.first(c); l; l = labels.next(c))
        if (l == label)
            return true;
    return false;
}

} // namespace

LabelPropertiesDialog::LabelPropertiesDialog(const ProjectLabel& label, int32_t rate, QWidget* parent)
    : QDialog(parent), m_label(label), m_rate(rate), m_position(labelPositionFields(label.position, rate)),
      m_pause(labelPauseFields(label.pause, rate))
{
    switch (label.kind) {
    case ProjectLabel::kTrackSplit: setWindowTitle(tr("Track Split Properties")); break;
    case ProjectLabel::kIndex: setWindowTitle(tr("Index Properties")); break;
    default: setWindowTitle(tr("Label Properties")); break;
    }
    auto* layout = new QVBoxLayout(this);

    m_minutes = spin(curvePointMaxMinutes(rate), m_position.minutes, "minutes");
    m_seconds = spin(59, m_position.seconds, "seconds");
    m_milliseconds = spin(999, m_position.milliseconds, "milliseconds");
    auto* position = new QGroupBox(tr("Position"));
    auto* row = new QHBoxLayout(position);
    row->addWidget(m_minutes);
    row->addWidget(new QLabel(tr("min")));
    row->addWidget(m_seconds);
    row->addWidget(new QLabel(tr("sec")));
    row->addWidget(m_milliseconds);
    row->addWidget(new QLabel(tr("ms")));
    layout->addWidget(position);

    if (label.kind == ProjectLabel::kTrackSplit) {
        const int maxSeconds = rate > 0 ? std::numeric_limits<int32_t>::max() / rate : 0;
        m_pauseSeconds = spin(maxSeconds, m_pause.seconds, "pauseSeconds");
        m_pauseMilliseconds = spin(999, m_pause.milliseconds, "pauseMilliseconds");
        auto* pause = new QGroupBox(tr("Pause"));
        auto* pauseRow = new QHBoxLayout(pause);
        pauseRow->addWidget(m_pauseSeconds);
        pauseRow->addWidget(new QLabel(tr("sec")));
        pauseRow->addWidget(m_pauseMilliseconds);
        pauseRow->addWidget(new QLabel(tr("ms")));
        layout->addWidget(pause);
    }
    if (label.kind != ProjectLabel::kIndex) {
        auto* form = new QFormLayout;
        m_title = line(label.title, "title");
        form->addRow(tr("Title:"), m_title);
        if (label.kind == ProjectLabel::kTrackSplit) {
            m_artist = line(label.artist, "artist");
            form->addRow(tr("Artist:"), m_artist);
        }
        layout->addLayout(form);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

ProjectLabel LabelPropertiesDialog::result() const
{
    ProjectLabel out = m_label;
    const LabelPositionFields position{m_minutes->value(), m_seconds->value(), m_milliseconds->value()};
    if (position.minutes != m_position.minutes || position.seconds != m_position.seconds ||
        position.milliseconds != m_position.milliseconds)
        out.position = std::max(0, labelPositionFromFields(position, m_rate));
    if (m_pauseSeconds) {
        const LabelPauseFields pause{m_pauseSeconds->value(), m_pauseMilliseconds->value()};
        if (pause.seconds != m_pause.seconds || pause.milliseconds != m_pause.milliseconds)
            out.pause = std::max(0, labelPauseFromFields(pause, m_rate));
    }
    if (m_title)
        out.title = m_title->text().toStdString();
    if (m_artist)
        out.artist = m_artist->text().toStdString();
    return out;
}

bool LabelPropertiesDialog::apply(CMultitrackerDoc& doc, ProjectLabel* label, const ProjectLabel& edited)
{
    CLabelList& labels = doc.labels();
    // While the dialog was open, CD tracks following the arrangement may have been
    // rebuilt (every view update does so): a label no longer in the list is gone.
    if (!holds(labels, label))
        return false;
    if (edited.position == label->position && edited.pause == label->pause && edited.title == label->title &&
        edited.artist == label->artist)
        return false;
    // The step is taken while the label still stands as it was.
    doc.openUndoStep();
    {
        std::lock_guard<CLabelList> guard(labels);
        label->title = edited.title;
        label->artist = edited.artist;
        label->pause = edited.pause;
    }
    if (edited.position != label->position && !labels.reposition(label, edited.position))
        return false;
    doc.setModified();
    doc.updateAllViews(kHintStructure);
    return true;
}

bool LabelPropertiesDialog::edit(CMultitrackerDoc& doc, ProjectLabel* label, QWidget* parent)
{
    // The label was found before a menu ran, and the rebuild may have taken it since.
    if (!holds(doc.labels(), label))
        return false;
    LabelPropertiesDialog dialog(*label, int32_t(doc.sampleRate()), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return apply(doc, label, dialog.result());
}

} // namespace quillon
