#pragma once
// The timeline tool for envelope curves: hit tests on points and lines of the curves of
// active tracks, dragging points (a click on the line adds one there first), removing
// a point dragged off its lane (and the curve with its last point), and the curve and
// point menus. Every edit goes through the document's point operations, which a running
// playback hears at its next block. A gesture opens one undo step when it first changes
// something; a click that changes nothing opens none.
// User-interface thread only.

#include "ui/timeline_tool.h"

#include <QMenu>

#include <cstdint>
#include <memory>

namespace quillon {

class CCurve;
class CMultitrackerView;
struct CurvePoint;

class CurveTool : public TimelineTool {
public:
    static constexpr int kCommandRemovePoint = 7864;
    static constexpr int kCommandEditPoint = 7865;
    static constexpr int kCommandResetCurve = 7866;
    static constexpr int kCommandRemoveCurve = 7867;
    // A point dragged this far above its lane (or anywhere below it) is removed.
    static constexpr int kDragOffMargin = 30;

    explicit CurveTool(CMultitrackerView& view);
    ~CurveTool() override;

    int hitTest(int x, int y) override;
    QString tooltipText() override;
    QString statusText() override { return {}; }
    bool beginDrag(int modifier) override;
    bool dragTo(int x, int y) override;
    void endDrag(int modifier) override;
    QMenu* contextMenu() override;
    bool menuCommand(int commandId) override;
    bool doubleClick() override { return false; }
    QCursor cursor() override { return QCursor(Qt::CrossCursor); }

    // What the last hit test found.
    CCurve* hitCurve() const { return m_curve; }
    CurvePoint* hitPoint() const { return m_point; }

    // The tooltip of a point: "Vol: %d dB" or "Pan: %d %".
    static QString pointText(int32_t kind, float value);

private:
    void openStepOnce();
    // Removes the point, and the curve with it when it was the last one.
    void removePoint(CurvePoint* point);
    void removeCurve();

    CMultitrackerView& m_view;
    int32_t m_track = -1;
    CCurve* m_curve = nullptr;
    CurvePoint* m_point = nullptr;
    int m_hitX = 0;
    int m_hitY = 0;
    int32_t m_lower = 0;
    int32_t m_upper = 0;
    bool m_stepOpen = false;
    std::unique_ptr<QMenu> m_menu;
};

} // namespace quillon
