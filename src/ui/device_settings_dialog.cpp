#include "ui/device_settings_dialog.h"

#include "base/settings_store.h"
#include "engine/wave_input_device.h"
#include "engine/wave_output_device.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace quillon {

namespace {
QString tx(const char* text) { return QCoreApplication::translate("DeviceSettingsDialog", text); }
} // namespace

DeviceSettingsDialog::DeviceSettingsDialog(SettingsStore& settings, QWidget* parent)
    : DeviceSettingsDialog(settings, WaveInputDevice::deviceNames(), WaveOutputDevice::deviceNames(), parent)
{
}

DeviceSettingsDialog::DeviceSettingsDialog(SettingsStore& settings, const std::vector<std::string>& inputs,
                                           const std::vector<std::string>& outputs, QWidget* parent)
    : QDialog(parent), m_settings(settings)
{
    setWindowTitle(tx("Device Settings"));
    m_input = new QComboBox;
    m_output = new QComboBox;
    fill(m_input, inputs, "Input");
    fill(m_output, outputs, "Output");
    auto* form = new QFormLayout;
    form->addRow(tx("Input Device:"), m_input);
    form->addRow(tx("Output Device:"), m_output);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void DeviceSettingsDialog::fill(QComboBox* box, const std::vector<std::string>& names, const char* value)
{
    for (const std::string& name : names)
        box->addItem(QString::fromStdString(name));
    box->addItem(tx(kWaveMapper));
    // Unset reads as the first device. A stored device that is no longer there (a
    // card unplugged) falls to the wave mapper rather than to no line at all, which
    // OK would store as nothing the user chose.
    const int stored = m_settings.profileInt(kSection, value, 0);
    const int mapper = box->count() - 1;
    box->setCurrentIndex(stored >= 0 && stored < mapper ? stored : mapper);
}

int DeviceSettingsDialog::storedIndex(const QComboBox* box)
{
    const int index = box->currentIndex();
    return index < 0 || index == box->count() - 1 ? -1 : index;
}

void DeviceSettingsDialog::accept()
{
    m_settings.writeProfileInt(kSection, "Input", storedIndex(m_input));
    m_settings.writeProfileInt(kSection, "Output", storedIndex(m_output));
    QDialog::accept();
}

} // namespace quillon
