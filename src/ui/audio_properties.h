#pragma once
// The "Audio Settings" page: the rendering sample rate (an editable list), the bit
// depth, and dithering and noise shaping, which apply only when converting to 8 or 16
// bits. It reads and writes Audio/SampleRate, Resolution, Dithering and NoiseShaping.
// User-interface thread only.

#include <QWidget>

class QCheckBox;
class QComboBox;

namespace quillon {

class Prompter;
class SettingsStore;

class CAudioProperties : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinRate = 4000;
    static constexpr int kMaxRate = 96000;
    static constexpr const char* kInvalidRateText =
        "The entered sample rate was invalid. Please enter a number between 4000 and 96000. The changes were "
        "discarded.";

    CAudioProperties(SettingsStore& settings, Prompter& prompter, QWidget* parent = nullptr);

    // The leading integer of the rate text ("44100 Hz (CD)" is 44100); 0 without one.
    static int leadingRate(const QString& text);
    // Stores the four values; with a rate outside 4000..96000 it says so and stores
    // nothing (false).
    bool store();

    QComboBox* rateBox() const { return m_rate; }
    QComboBox* depthBox() const { return m_depth; }
    QCheckBox* noiseShapingBox() const { return m_noiseShaping; }
    QCheckBox* ditheringBox() const { return m_dithering; }

private:
    void updateConversionBoxes();

    SettingsStore& m_settings;
    Prompter& m_prompter;
    QComboBox* m_rate;
    QComboBox* m_depth;
    QCheckBox* m_noiseShaping;
    QCheckBox* m_dithering;
};

} // namespace quillon
