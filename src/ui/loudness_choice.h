#pragma once
// The loudness normalisation an export is rendered with: a "Loudness:" choice and the
// "Loudness target:" in LUFS, which only the loudness modes use. The choice is kept in
// the "Export" settings under a name of the dialog's own (the mode as LoudnessMode's
// number, the target in tenths of a LUFS under the name followed by "Target").
//
// Threads: the user-interface thread only.

#include "engine/loudness_plan.h"

#include <QWidget>

#include <string>
#include <vector>

class QComboBox;
class QDoubleSpinBox;

namespace quillon {

class SettingsStore;

class LoudnessChoice : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kSection = "Export";
    static constexpr double kLowestTarget = -40.0;
    static constexpr double kHighestTarget = -5.0;

    // `modes` are offered in order after "None"; the stored choice is shown.
    LoudnessChoice(SettingsStore& settings, std::string name, std::vector<LoudnessMode> modes,
                   QWidget* parent = nullptr);

    LoudnessTarget target() const;
    // Keeps the shown choice for the next time.
    void store() const;

    QComboBox* modeBox() const { return m_mode; }
    QDoubleSpinBox* targetBox() const { return m_target; }

private:
    LoudnessMode mode() const;

    SettingsStore& m_settings;
    std::string m_name;
    QComboBox* m_mode;
    QDoubleSpinBox* m_target;
};

} // namespace quillon
