#pragma once
// The "Tempo and Meter" page of the "Project Settings" sheet: beats per minute
// (40 to 300, a number) and beats per measure (1 to 16, an integer). Input outside
// those ranges is refused with the standard validation message and the focus goes
// back to the field.

#include <QString>
#include <QWidget>

#include <cstdint>

class QLineEdit;

namespace quillon {

class CTempoProperties : public QWidget {
    Q_OBJECT
public:
    static constexpr double kMinBpm = 40.0;
    static constexpr double kMaxBpm = 300.0;
    static constexpr int kMinBeats = 1;
    static constexpr int kMaxBeats = 16;

    explicit CTempoProperties(QWidget* parent = nullptr);

    // Shows the values (tempo in beats per minute).
    void setValues(double beatsPerMinute, int32_t beatsPerMeasure);
    // False with the message to show when a field is out of range; that field then
    // has the focus.
    bool validate(QString& message);
    double beatsPerMinute() const;
    int32_t beatsPerMeasure() const;
    // Hundredths of beats per minute, rounded as the project stores them.
    static int32_t tempoFromBpm(double bpm);

    QLineEdit* bpmEdit() const { return m_bpm; }
    QLineEdit* beatsEdit() const { return m_beats; }

private:
    QLineEdit* m_bpm;
    QLineEdit* m_beats;
};

} // namespace quillon
