#pragma once
// The timeline tool for clips: moving the selected clips in time and across tracks,
// stretching a clip by its right edge, selecting by click and Ctrl-click, the clip menu
// and the crossfade shape menu. Every change goes through the document's clip
// operations, which are safe while the mix plays. A gesture opens one undo step when it
// first changes something; a click that moves nothing opens none.
// User-interface thread only.

#include "ui/timeline_tool.h"

#include <QMenu>

#include <cstdint>
#include <memory>
#include <vector>

namespace quillon {

class CAudioClip;
class CMultitrackerView;

class ClipTool : public TimelineTool {
public:
    static constexpr int kHandlePixels = 6;
    static constexpr int kCommandDelete = 7773;
    static constexpr int kCommandWaveEditor = 7799;
    static constexpr int kCommandColour = 7910;
    static constexpr int kCommandFollowingInTrack = 7917;
    static constexpr int kCommandFollowingAllTracks = 7918;
    static constexpr int kCommandMatchTempos = 7898;
    // Shape commands in shape order: linear, logarithmic, exponential, sinusoidal, none.
    static constexpr int kShapeCommands[5] = {7868, 7870, 7869, 7871, 7911};

    explicit ClipTool(CMultitrackerView& view);
    ~ClipTool() override;

    int hitTest(int x, int y) override;
    QString tooltipText() override;
    QString statusText() override;
    bool beginDrag(int modifier) override;
    bool dragTo(int x, int y) override;
    void endDrag(int modifier) override;
    QMenu* contextMenu() override;
    bool menuCommand(int commandId) override;
    bool doubleClick() override { return false; }
    QCursor cursor() override;

    CAudioClip* hitClip() const { return m_clip; }
    bool onResizeHandle() const { return m_resize; }
    bool inCrossfade() const { return m_inCrossfade; }

    // The tooltip: the file name without folder and extension.
    static QString shortName(const std::string& fileName);

private:
    void openStepOnce();
    void moveBody(int x, int y);
    // Measures, asks through "Crossfade Tempo" and scales both transitions.
    bool matchTempos();

    CMultitrackerView& m_view;
    int32_t m_track = -1;
    CAudioClip* m_clip = nullptr;
    bool m_resize = false;
    bool m_inCrossfade = false;
    int m_grabX = 0;
    bool m_wasSelected = false;
    bool m_moved = false;
    bool m_stepOpen = false;
    int32_t m_reachedTrack = -1;
    std::unique_ptr<QMenu> m_menu;
};

} // namespace quillon
