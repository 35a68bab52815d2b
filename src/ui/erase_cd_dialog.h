#pragma once
// "Erase Rewritable CD": chooses the drive and the erase method and runs the erase
// routine, showing the elapsed time against the estimate.
//
// Threads: the user-interface thread only.
#include "cd/burner_library.h"
#include "cd/drive_list.h"
#include <QDialog>

class QComboBox;
class QLabel;
class QProgressBar;
class QRadioButton;

namespace quillon {

class Prompter;
class SettingsStore;

class EraseCdDialog : public QDialog {
    Q_OBJECT
public:
    EraseCdDialog(SettingsStore& settings, Prompter& prompter, QWidget* parent = nullptr);
    ~EraseCdDialog() override;
    // False (after the message) when the dialog cannot be used.
    bool initialise();
    // "Erase": true (and the dialog accepted) when the disc was erased.
    bool erase();
    QComboBox* deviceBox() const { return m_devices; }
    QRadioButton* quickButton() const { return m_quick; }

private:
    SettingsStore& m_settings;
    Prompter& m_prompter;
    BurnerLibrary m_library;
    VardaDriveTable* m_table = nullptr;
    std::vector<OfferedDrive> m_drives;
    QComboBox* m_devices;
    QRadioButton* m_complete;
    QRadioButton* m_quick;
    QProgressBar* m_bar;
    QLabel* m_remaining;
    QLabel* m_elapsed;
};

} // namespace quillon
