#include "ui/curve_tool.h"
#include "ui/curve_point_dialog.h"
#include "ui/lane_geometry.h"

#include "model/curve.h"
#include "model/curve_point.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include "ui/multitracker_view.h"

#include <QCoreApplication>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace quillon {

namespace {

QString tx(const char* text) { return QCoreApplication::translate("CurveTool", text); }

} // namespace

CurveTool::CurveTool(CMultitrackerView& view) : m_view(view) {}

CurveTool::~CurveTool() = default;

int CurveTool::hitTest(int x, int y)
{
    m_track = -1;
    m_curve = nullptr;
    m_point = nullptr;
    m_hitX = x;
    m_hitY = y;
    CMultitrackerDoc& doc = m_view.document();
    const int32_t track = LaneGeometry::trackAtY(doc, y);
    if (track < 0 || !doc.trackAt(track)->isActive())
        return 0;
    CTrack* t = doc.trackAt(track);
    for (CCurve* curve : t->curves()) {
        for (CurvePoint* p = curve->firstPoint(); p; p = curve->pointAfter(p)) {
            const CurvePixel px = curve->pointToPixel(*p);
            if (std::abs(px.x - x) < 5 && std::abs(px.y - y) < 5) {
                m_track = track;
                m_curve = curve;
                m_point = p;
                return kHitDrag | kHitMenu | kHitDoubleClick;
            }
        }
    }
    for (CCurve* curve : t->curves()) {
        if (curve->hitTest(x, y)) {
            m_track = track;
            m_curve = curve;
            return kHitDrag | kHitMenu;
        }
    }
    return 0;
}

QString CurveTool::pointText(int32_t kind, float value)
{
    if (kind == CCurve::kPan)
        return tx("Pan: %1 %").arg(int(value * 200.0 - 100.0));
    const int db = value > 0.0f ? int(20.0 * std::log10(double(value))) : -144;
    return tx("Vol: %1 dB").arg(db);
}

QString CurveTool::tooltipText()
{
    if (!m_curve)
        return {};
    if (m_point)
        return pointText(m_curve->kind(), m_point->value);
    return m_curve->kind() == CCurve::kPan ? tx("Pan Curve") : tx("Volume Curve");
}

void CurveTool::openStepOnce()
{
    if (m_stepOpen)
        return;
    m_view.document().openUndoStep();
    m_stepOpen = true;
}

bool CurveTool::beginDrag(int)
{
    m_stepOpen = false;
    if (!m_curve)
        return false;
    m_view.setSelectedCurve(m_curve);
    if (!m_point) {
        const CurvePoint at = m_curve->pixelToPoint(m_hitX, m_hitY);
        openStepOnce();
        m_point = m_view.document().addCurvePoint(m_track, m_curve->kind(), at.position, at.value);
        if (!m_point)
            return false;
    }
    const CurvePoint* before = m_curve->pointBefore(m_point);
    const CurvePoint* after = m_curve->pointAfter(m_point);
    m_lower = before ? before->position : 0;
    m_upper = after ? after->position : INT32_MAX;
    return true;
}

bool CurveTool::dragTo(int x, int y)
{
    if (!m_curve || !m_point)
        return false;
    const CurveRect& rect = m_curve->displayRect();
    if (y < rect.top - kDragOffMargin || y >= rect.bottom) {
        openStepOnce();
        removePoint(m_point);
        m_point = nullptr;
        return false;
    }
    CurvePoint at = m_curve->pixelToPoint(x, y);
    // Strictly between the neighbours, so the point keeps its place in the list; a
    // first point (no left neighbour) may reach 0.
    const int64_t lo = m_curve->pointBefore(m_point) ? int64_t(m_lower) + 1 : 0;
    const int64_t hi = m_curve->pointAfter(m_point) ? int64_t(m_upper) - 1 : INT32_MAX;
    at.position = int32_t(std::clamp<int64_t>(at.position, lo, std::max(lo, hi)));
    at.value = std::clamp(at.value, 0.0f, 1.0f);
    if (at.position == m_point->position && at.value == m_point->value)
        return true;
    openStepOnce();
    m_view.document().moveCurvePoint(m_track, m_curve->kind(), m_point, at.position, at.value);
    return true;
}

void CurveTool::endDrag(int)
{
    m_stepOpen = false;
}

void CurveTool::removePoint(CurvePoint* point)
{
    CMultitrackerDoc& doc = m_view.document();
    doc.removeCurvePoint(m_track, m_curve->kind(), point);
    if (m_curve->pointCount() == 0)
        removeCurve();
}

void CurveTool::removeCurve()
{
    CMultitrackerDoc& doc = m_view.document();
    CTrack* track = doc.trackAt(m_track);
    if (m_view.selectedCurve() == m_curve)
        m_view.setSelectedCurve(nullptr);
    // The track takes it out under its lock; destroyed afterwards, outside it.
    if (track->removeCurve(m_curve))
        delete m_curve;
    m_curve = nullptr;
    m_point = nullptr;
    doc.setModified();
}

QMenu* CurveTool::contextMenu()
{
    if (!m_curve)
        return nullptr;
    m_menu = std::make_unique<QMenu>();
    if (m_point) {
        QAction* edit = m_menu->addAction(tx("Edit Curve Point..."));
        edit->setData(kCommandEditPoint);
        m_menu->setDefaultAction(edit);
        m_menu->addAction(tx("Remove Curve Point"))->setData(kCommandRemovePoint);
    }
    m_menu->addAction(tx("Reset Curve"))->setData(kCommandResetCurve);
    m_menu->addAction(tx("Remove Curve"))->setData(kCommandRemoveCurve);
    return m_menu.get();
}

bool CurveTool::menuCommand(int commandId)
{
    if (!m_curve)
        return false;
    CMultitrackerDoc& doc = m_view.document();
    switch (commandId) {
    case kCommandRemovePoint:
        if (!m_point)
            return false;
        doc.openUndoStep();
        removePoint(m_point);
        return true;
    case kCommandEditPoint: {
        if (!m_point)
            return false;
        CurvePointDialog dialog(m_curve->kind(), *m_point, int32_t(doc.sampleRate()), &m_view);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        const CurvePoint edited = dialog.result();
        if (edited.position == m_point->position && edited.value == m_point->value)
            return false;
        doc.openUndoStep();
        // The dialog may take the point past its neighbours: it is put back in order.
        return doc.placeCurvePoint(m_track, m_curve->kind(), m_point, edited.position, edited.value);
    }
    case kCommandResetCurve: {
        const int32_t kind = m_curve->kind();
        const float initial = kind == CCurve::kPan ? 0.5f : 1.0f;
        const CurvePoint* only = m_curve->firstPoint();
        if (m_curve->pointCount() == 1 && only->position == 0 && only->value == initial)
            return false; // already as a reset leaves it
        doc.openUndoStep();
        while (CurvePoint* p = m_curve->firstPoint())
            doc.removeCurvePoint(m_track, kind, p);
        doc.addCurvePoint(m_track, kind, 0, initial);
        m_point = nullptr;
        return true;
    }
    case kCommandRemoveCurve:
        doc.openUndoStep();
        removeCurve();
        return true;
    default:
        return false;
    }
}

} // namespace quillon
