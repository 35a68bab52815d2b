#pragma once
// "Insert Playlist": the files Insert Audio File(s) is about to place, in an order the
// user may change, and whether neighbouring clips overlap by a crossfade of a set
// length. The options are kept in the "PlaylistImport" settings (Crossfade, and
// CrossfadeTime in milliseconds). User-interface thread only.

#include <QDialog>
#include <QStringList>

#include <cstdint>

class QCheckBox;
class QDoubleSpinBox;
class QListWidget;
class QPushButton;

namespace quillon {

class SettingsStore;

class InsertPlaylistDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kSection = "PlaylistImport";
    static constexpr int32_t kDefaultCrossfadeMs = 400;
    static constexpr double kMaximumSeconds = 1000.0;

    InsertPlaylistDialog(const QStringList& files, SettingsStore& settings, QWidget* parent = nullptr);

    QStringList files() const;
    bool crossfade() const;
    // The crossfade length as the settings keep it.
    int32_t crossfadeMilliseconds() const;
    // Samples neighbouring clips overlap by at `rate`: the crossfade length, truncated;
    // 0 without crossfading.
    int32_t overlap(uint32_t rate) const;

    QListWidget* fileList() const { return m_list; }
    QPushButton* upButton() const { return m_up; }
    QPushButton* downButton() const { return m_down; }
    QPushButton* removeButton() const { return m_remove; }
    QCheckBox* crossfadeBox() const { return m_crossfade; }
    QDoubleSpinBox* timeBox() const { return m_time; }

public slots:
    // Stores the options.
    void accept() override;

private:
    void move(int step);
    void removeSelected();
    void updateButtons();

    SettingsStore& m_settings;
    QListWidget* m_list;
    QPushButton* m_up;
    QPushButton* m_down;
    QPushButton* m_remove;
    QCheckBox* m_crossfade;
    QDoubleSpinBox* m_time;
};

} // namespace quillon
