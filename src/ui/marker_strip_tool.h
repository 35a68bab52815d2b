#pragma once
// The timeline tool for the top strip: dragging labels (never past their neighbours,
// never before 0, kept in order as they move), dragging the pause handle of a CD track
// split (never longer than the gap to the previous label), removing a label dragged off
// the strip, and marking a section or moving its ends. Label changes open one undo step
// when they first change something; marking a section is no project change.
// User-interface thread only.

#include "ui/timeline_tool.h"

#include <QMenu>

#include <cstdint>
#include <memory>

namespace quillon {

class CMultitrackerView;
class ProjectLabel;

class MarkerStripTool : public TimelineTool {
public:
    static constexpr int kLabelPixels = 9;
    static constexpr int kHandlePixels = 4;
    static constexpr int kAboveStrip = 30;
    static constexpr int kBelowStrip = 95;
    static constexpr int kCommandRemoveLabel = 7844;
    static constexpr int kCommandProperties = 7845;
    enum class Mode { None, Label, Pause, NewMarking, MarkEnd, MarkStart };

    explicit MarkerStripTool(CMultitrackerView& view);
    ~MarkerStripTool() override;

    int hitTest(int x, int y) override;
    QString tooltipText() override;
    QString statusText() override;
    bool beginDrag(int modifier) override;
    bool dragTo(int x, int y) override;
    void endDrag(int modifier) override;
    QMenu* contextMenu() override;
    bool menuCommand(int commandId) override;
    // Opens the label's properties dialog.
    bool doubleClick() override;
    QCursor cursor() override;

    Mode mode() const { return m_mode; }
    ProjectLabel* hitLabel() const { return m_label; }

private:
    void openStepOnce();

    CMultitrackerView& m_view;
    Mode m_mode = Mode::None;
    ProjectLabel* m_label = nullptr;
    int32_t m_lower = 0;
    int32_t m_upper = 0;
    int32_t m_clicked = 0;
    bool m_stepOpen = false;
    std::unique_ptr<QMenu> m_menu;
};

} // namespace quillon
