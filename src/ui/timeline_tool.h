#pragma once
// An interaction handler of the timeline. The view asks its tools in a fixed order
// (marker strip, curves, clips); the first whose hit test sets the needed flag handles
// the gesture. A hit test records what it hit for the calls that follow it.
// User-interface thread only.

#include <QCursor>
#include <QString>

#include <cstdint>

class QMenu;

namespace quillon {

class TimelineTool {
public:
    enum HitFlags : int {
        kHitDrag = 1,
        kHitMenu = 2,
        kHitDoubleClick = 4,
    };
    enum Modifier : int {
        kModNone = 0,
        kModShift = 1,
        kModCtrl = 2,
    };

    virtual ~TimelineTool() = default;

    // 0 when nothing of this tool lies at (x, y).
    virtual int hitTest(int x, int y) = 0;
    virtual QString tooltipText() = 0;
    virtual QString statusText() = 0;
    // True when the tool takes the drag.
    virtual bool beginDrag(int modifier) = 0;
    // False ends the drag at once.
    virtual bool dragTo(int x, int y) = 0;
    virtual void endDrag(int modifier) = 0;
    // The menu to show; it stays the tool's.
    virtual QMenu* contextMenu() = 0;
    // True when the project changed.
    virtual bool menuCommand(int commandId) = 0;
    // True when it acted.
    virtual bool doubleClick() = 0;
    virtual QCursor cursor() = 0;
};

} // namespace quillon
