#pragma once
// "Device Settings": the sound devices that record (Devices/Input) and play
// (Devices/Output). Each box lists the system's devices in device order, then
// "(wave mapper)", the system's default device, which is stored as -1.
// User-interface thread only.

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;

namespace quillon {

class SettingsStore;

class DeviceSettingsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kSection = "Devices";
    static constexpr const char* kWaveMapper = "(wave mapper)";

    // Lists the devices PortAudio finds.
    explicit DeviceSettingsDialog(SettingsStore& settings, QWidget* parent = nullptr);
    DeviceSettingsDialog(SettingsStore& settings, const std::vector<std::string>& inputs,
                         const std::vector<std::string>& outputs, QWidget* parent = nullptr);

    QComboBox* inputBox() const { return m_input; }
    QComboBox* outputBox() const { return m_output; }

public slots:
    // Stores the selected device indexes, -1 for the wave mapper.
    void accept() override;

private:
    void fill(QComboBox* box, const std::vector<std::string>& names, const char* value);
    static int storedIndex(const QComboBox* box);

    SettingsStore& m_settings;
    QComboBox* m_input;
    QComboBox* m_output;
};

} // namespace quillon
