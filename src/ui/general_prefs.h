#pragma once
// The "General" page of the preferences: automatic CD track splits, the undo limit,
// the number of tracks of new projects, the default pause of CD track splits and the
// default export format. It only edits; the sheet stores.
// User-interface thread only.

#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;

namespace quillon {

struct GeneralPrefsValues {
    bool autoTracks = true;
    int32_t undoLevels = 100; // -1: no limit
    int32_t startupTracks = 1;
    double pauseSeconds = 0.0;
    int32_t exportFormat = -1; // index in the file filter's list; -1: none
};

class CGeneralPrefs : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxUndoLevels = 9999;
    static constexpr int kMaxStartupTracks = 128;
    static constexpr double kMaxPause = 60.0;
    // The undo limit shown while there is none.
    static constexpr int kShownUndoLevels = 100;

    // `exportFormats` empty: the file filter could not be asked, the list stays empty.
    CGeneralPrefs(const GeneralPrefsValues& values, const std::vector<std::string>& exportFormats,
                  QWidget* parent = nullptr);

    GeneralPrefsValues values() const;
    // Tenths of a second as stored, rounded: 0.3 s is 3 (a truncated 2.9999... would be 2).
    static int32_t pauseTenths(double seconds);

    QCheckBox* autoTracksBox() const { return m_autoTracks; }
    QCheckBox* limitUndoBox() const { return m_limitUndo; }
    QSpinBox* undoLevelsBox() const { return m_undoLevels; }
    QSpinBox* startupTracksBox() const { return m_startupTracks; }
    QDoubleSpinBox* pauseBox() const { return m_pause; }
    QComboBox* exportFormatBox() const { return m_exportFormat; }

private:
    QCheckBox* m_autoTracks;
    QCheckBox* m_limitUndo;
    QSpinBox* m_undoLevels;
    QSpinBox* m_startupTracks;
    QDoubleSpinBox* m_pause;
    QComboBox* m_exportFormat;
    int32_t m_loadedExportFormat;
};

} // namespace quillon
