#pragma once
// "Audio CD Recorder": chooses the drive, speed and options, lists the CD tracks of its
// own copy of the labels (CD-TEXT edited there is put back into the project after a
// burn) and runs the burn in the progress dialog. It loads the disc-burning library on
// initialisation and releases it when destroyed.
//
// Threads: the user-interface thread only.
#include "cd/burn_request_handler.h"
#include "cd/burner_library.h"
#include "cd/drive_list.h"
#include "model/label_list.h"
#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace quillon {

class CMultitrackerDoc;
class Prompter;
class SettingsStore;

class AudioCdRecorderDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxRows = 98;

    AudioCdRecorderDialog(CMultitrackerDoc& doc, SettingsStore& settings, Prompter& prompter,
                          QWidget* parent = nullptr);
    ~AudioCdRecorderDialog() override;

    // Loads the library and lists drives and tracks; false (after the message) when the
    // dialog cannot be used and must not be shown.
    bool initialise();
    // Where the Image Recorder writes; by default a save-file dialog.
    void setImagePathChooser(std::function<std::optional<std::string>()> chooser);

    QComboBox* deviceBox() const { return m_devices; }
    QComboBox* speedBox() const { return m_speeds; }
    QTreeWidget* trackList() const { return m_tracks; }
    QComboBox* normalizeBox() const { return m_normalize; }
    QDoubleSpinBox* targetBox() const { return m_target; }
    QDoubleSpinBox* levelBox() const { return m_level; }
    QPushButton* propertiesButton() const { return m_properties; }
    QLineEdit* catalogEdit() const { return m_catalog; }
    CLabelList& labelCopy() { return m_labels; }
    // Opens "CD Track Properties" for the current row; `edit` stands in for the user.
    void editProperties(const std::function<void(class CdTrackPropertiesDialog&)>& edit = {});
    // "Burn...": true when the disc (or image) was written.
    bool burn();

private:
    void fillSpeeds();
    void fillTracks();

    CMultitrackerDoc& m_doc;
    SettingsStore& m_settings;
    Prompter& m_prompter;
    BurnerLibrary m_library;
    BurnRequestHandler m_handler;
    VardaDriveTable* m_table = nullptr;
    std::vector<OfferedDrive> m_drives;
    CLabelList m_labels;
    std::vector<ProjectLabel*> m_rows;
    QComboBox* m_devices;
    QComboBox* m_speeds;
    QTreeWidget* m_tracks;
    QCheckBox* m_simulate;
    QCheckBox* m_testSpeed;
    QComboBox* m_normalize;
    QDoubleSpinBox* m_level;
    QDoubleSpinBox* m_target;
    QPushButton* m_properties;
    QLineEdit* m_catalog; // the disc's catalogue number, stored in the project on burning
    class CdBurnWorkflow* m_workflow = nullptr;
};

} // namespace quillon
