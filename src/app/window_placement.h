#pragma once
// The main window's placement kept from one run to the next in "LastWindowState":
// flags, show command and the normal-position rectangle (left, top, right, bottom,
// right and bottom exclusive).

#include <QRect>

#include <cstdint>

class QWidget;

namespace quillon {

class SettingsStore;

struct WindowPlacement {
    static constexpr const char* kSection = "LastWindowState";
    static constexpr int32_t kShowNormal = 1;
    static constexpr int32_t kShowMinimized = 2;
    static constexpr int32_t kShowMaximized = 3;
    static constexpr int32_t kRestoreToMaximized = 2;

    int32_t flags = 0;
    int32_t showCmd = kShowNormal;
    QRect normal;

    static WindowPlacement of(const QWidget& window);
    void applyTo(QWidget& window) const;

    void save(SettingsStore& settings) const;
    // Each value that is stored replaces the one of `current`.
    static WindowPlacement restore(const SettingsStore& settings, const WindowPlacement& current);
};

} // namespace quillon
