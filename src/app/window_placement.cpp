#include "app/window_placement.h"

#include "base/settings_store.h"

#include <QWidget>

namespace quillon {

WindowPlacement WindowPlacement::of(const QWidget& window)
{
    WindowPlacement w;
    const Qt::WindowStates state = window.windowState();
    if (state & Qt::WindowMinimized) {
        w.showCmd = kShowMinimized;
        if (state & Qt::WindowMaximized)
            w.flags = kRestoreToMaximized;
    } else if (state & Qt::WindowMaximized) {
        w.showCmd = kShowMaximized;
    }
    w.normal = window.isMaximized() || window.isMinimized() ? window.normalGeometry() : window.geometry();
    if (!w.normal.isValid())
        w.normal = window.geometry();
    return w;
}

void WindowPlacement::applyTo(QWidget& window) const
{
    if (normal.isValid())
        window.setGeometry(normal);
    switch (showCmd) {
    case kShowMaximized:
        window.setWindowState(Qt::WindowMaximized);
        break;
    case kShowMinimized:
        window.setWindowState(flags & kRestoreToMaximized ? Qt::WindowMinimized | Qt::WindowMaximized
                                                          : Qt::WindowMinimized);
        break;
    default:
        window.setWindowState(Qt::WindowNoState);
        break;
    }
}

void WindowPlacement::save(SettingsStore& settings) const
{
    settings.writeProfileInt(kSection, "Flags", flags);
    settings.writeProfileInt(kSection, "ShowCmd", showCmd);
    settings.writeProfileInt(kSection, "Left", normal.left());
    settings.writeProfileInt(kSection, "Top", normal.top());
    settings.writeProfileInt(kSection, "Right", normal.left() + normal.width());
    settings.writeProfileInt(kSection, "Bottom", normal.top() + normal.height());
}

WindowPlacement WindowPlacement::restore(const SettingsStore& settings, const WindowPlacement& current)
{
    WindowPlacement w = current;
    w.flags = settings.profileInt(kSection, "Flags", current.flags);
    w.showCmd = settings.profileInt(kSection, "ShowCmd", current.showCmd);
    const int left = settings.profileInt(kSection, "Left", current.normal.left());
    const int top = settings.profileInt(kSection, "Top", current.normal.top());
    const int right = settings.profileInt(kSection, "Right", current.normal.left() + current.normal.width());
    const int bottom = settings.profileInt(kSection, "Bottom", current.normal.top() + current.normal.height());
    w.normal = QRect(left, top, right - left, bottom - top);
    return w;
}

} // namespace quillon
