#include "ui/marker_strip_tool.h"
#include "ui/label_properties_dialog.h"

#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/project_label.h"
#include "ui/multitracker_view.h"
#include "ui/time_formatter.h"
#include "ui/transport_control.h"

#include <QCoreApplication>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

namespace quillon {

namespace {

QString tx(const char* text) { return QCoreApplication::translate("MarkerStripTool", text); }

std::vector<ProjectLabel*> labelsOf(CLabelList& list)
{
    std::vector<ProjectLabel*> out;
    CLabelList::Cursor c;
    for (ProjectLabel* l = list.first(c); l; l = list.next(c))
        out.push_back(l);
    return out;
}

} // namespace

MarkerStripTool::MarkerStripTool(CMultitrackerView& view) : m_view(view) {}

MarkerStripTool::~MarkerStripTool() = default;

int MarkerStripTool::hitTest(int x, int y)
{
    m_mode = Mode::None;
    m_label = nullptr;
    if (y < 0 || y > CMultitrackerView::kTopStrip)
        return 0;
    CMultitrackerDoc& doc = m_view.document();
    m_clicked = std::max(0, m_view.positionAt(x));
    const std::vector<ProjectLabel*> labels = labelsOf(doc.labels());
    for (size_t i = 0; i < labels.size(); ++i) {
        ProjectLabel* l = labels[i];
        const int xl = m_view.xOf(l->position);
        const int xp = m_view.xOf(int32_t(std::max<int64_t>(0, int64_t(l->position) - l->pause)));
        Mode mode = Mode::None;
        if (x >= xl && x <= xl + kLabelPixels)
            mode = Mode::Label;
        else if (x >= std::min(xl, xp) - kLabelPixels && x <= xl - 1)
            mode = Mode::Pause;
        if (mode == Mode::None)
            continue;
        m_mode = mode;
        m_label = l;
        m_lower = i > 0 ? labels[i - 1]->position : 0;
        m_upper = i + 1 < labels.size() ? int32_t(int64_t(labels[i + 1]->position) - labels[i + 1]->pause) : INT32_MAX;
        return doc.autoCdTracks() ? kHitDoubleClick : kHitDrag | kHitMenu | kHitDoubleClick;
    }
    const SampleRange marked = doc.markedSection();
    if (std::abs(x - m_view.xOf(marked.end)) <= kHandlePixels)
        m_mode = Mode::MarkEnd;
    else if (std::abs(x - m_view.xOf(marked.begin)) <= kHandlePixels)
        m_mode = Mode::MarkStart;
    else
        m_mode = Mode::NewMarking;
    return kHitDrag;
}

QString MarkerStripTool::tooltipText()
{
    if (!m_label)
        return {};
    auto entry = [](const std::string& s) {
        return s.empty() ? tx("(no entry)") : QString::fromStdString(s);
    };
    return tx("Title: %1, Artist: %2").arg(entry(m_label->title), entry(m_label->artist));
}

QString MarkerStripTool::statusText()
{
    TimeFormatter f = TimeFormatter::fromDocument(m_view.document());
    f.setOrigin(0);
    switch (m_mode) {
    case Mode::Pause: return m_label ? f.format(m_label->pause) : QString();
    case Mode::NewMarking:
    case Mode::MarkEnd:
    case Mode::MarkStart: return f.format(m_view.document().markedSection().length());
    default: return {};
    }
}

QCursor MarkerStripTool::cursor()
{
    switch (m_mode) {
    case Mode::Label:
    case Mode::MarkEnd:
    case Mode::MarkStart: return QCursor(Qt::SizeHorCursor);
    case Mode::Pause: return QCursor(Qt::SplitHCursor);
    default: return QCursor(Qt::ArrowCursor);
    }
}

void MarkerStripTool::openStepOnce()
{
    if (m_stepOpen)
        return;
    m_view.document().openUndoStep();
    m_stepOpen = true;
}

bool MarkerStripTool::beginDrag(int)
{
    m_stepOpen = false;
    CMultitrackerDoc& doc = m_view.document();
    if (m_mode == Mode::None || (m_label && doc.autoCdTracks()))
        return false;
    doc.clearClipSelection();
    if (m_mode == Mode::NewMarking) {
        if (m_view.isPlaying())
            m_view.transport()->jumpTo(m_clicked);
        else
            doc.setCursor(m_clicked);
        doc.setMarkedSection(SampleRange(m_clicked, m_clicked));
    }
    return true;
}

bool MarkerStripTool::dragTo(int x, int y)
{
    CMultitrackerDoc& doc = m_view.document();
    const int32_t p = std::max(0, m_view.positionAt(x));
    switch (m_mode) {
    case Mode::Label: {
        if (!m_label)
            return false;
        if (y < -kAboveStrip || y > kBelowStrip) {
            openStepOnce();
            // Taken out for good: nothing puts it back at the end of the drag.
            doc.labels().remove(m_label);
            m_label = nullptr;
            m_mode = Mode::None;
            doc.setModified();
            return false;
        }
        const int64_t wanted = std::max<int64_t>(int64_t(m_lower) + m_label->pause, m_view.positionAt(x));
        const int32_t position = int32_t(std::max<int64_t>(0, std::min<int64_t>(m_upper, wanted)));
        if (position != m_label->position) {
            openStepOnce();
            doc.labels().reposition(m_label, position);
            doc.setModified();
        }
        doc.setCursor(m_label->position);
        return true;
    }
    case Mode::Pause: {
        if (!m_label)
            return false;
        const int64_t gap = std::max<int64_t>(0, int64_t(m_label->position) - m_lower);
        const int64_t pause = std::min(gap, std::max<int64_t>(0, int64_t(m_label->position) - m_view.positionAt(x)));
        if (pause != m_label->pause) {
            openStepOnce();
            m_label->pause = int32_t(pause);
            doc.setModified();
        }
        return true;
    }
    case Mode::NewMarking: {
        SampleRange r(m_clicked, p);
        r.normalise();
        if (!m_view.isPlaying())
            doc.setCursor(r.begin);
        doc.setMarkedSection(r);
        return true;
    }
    case Mode::MarkEnd: {
        const SampleRange m = doc.markedSection();
        doc.setCursor(p);
        doc.setMarkedSection(SampleRange(m.begin, std::max(m.begin, p)));
        return true;
    }
    case Mode::MarkStart: {
        const SampleRange m = doc.markedSection();
        doc.setCursor(p);
        doc.setMarkedSection(SampleRange(std::min(p, m.end), m.end));
        return true;
    }
    default: return false;
    }
}

void MarkerStripTool::endDrag(int) { m_stepOpen = false; }

QMenu* MarkerStripTool::contextMenu()
{
    if (!m_label)
        return nullptr;
    m_menu = std::make_unique<QMenu>();
    m_menu->addAction(tx("Remove Label"))->setData(kCommandRemoveLabel);
    QAction* properties = m_menu->addAction(tx("Properties..."));
    properties->setData(kCommandProperties);
    m_menu->setDefaultAction(properties);
    return m_menu.get();
}

bool MarkerStripTool::doubleClick()
{
    // Acting means the dialog was shown: the view must not go on to the wave editor.
    if (!m_label)
        return false;
    LabelPropertiesDialog::edit(m_view.document(), m_label, &m_view);
    return true;
}

bool MarkerStripTool::menuCommand(int commandId)
{
    if (!m_label)
        return false;
    CMultitrackerDoc& doc = m_view.document();
    if (commandId == kCommandProperties)
        return LabelPropertiesDialog::edit(doc, m_label, &m_view);
    if (commandId != kCommandRemoveLabel)
        return false;
    doc.openUndoStep();
    doc.labels().remove(m_label);
    m_label = nullptr;
    doc.setModified();
    return true;
}

} // namespace quillon
