#pragma once
// "Recording Settings": channels and resolution of new takes (kept as Recording/Channels
// and Recording/Resolution) and the take's destination file. User-interface thread only.

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace quillon {

class SettingsStore;

class RecordingSettingsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kSection = "Recording";

    RecordingSettingsDialog(SettingsStore& settings, const QString& destination, QWidget* parent = nullptr);

    QString destination() const;
    uint16_t bits() const;
    bool stereo() const;

    QCheckBox* stereoBox() const { return m_stereo; }
    QComboBox* resolutionBox() const { return m_resolution; }
    QLineEdit* destinationEdit() const { return m_destination; }

public slots:
    // Stores the channels and the resolution.
    void accept() override;

private:
    void browse();

    SettingsStore& m_settings;
    QCheckBox* m_stereo;
    QComboBox* m_resolution;
    QLineEdit* m_destination;
};

} // namespace quillon
