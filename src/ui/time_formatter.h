#pragma once
// Turns a sample position into the text every time display shows, in the project's
// time display format. A value object: the views set one up from the project before
// they draw. The unit texts come through translation, so a language pack changes them.

#include "ui/ruler_step.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace quillon {

class CMultitrackerDoc;

enum TimeFormat : int32_t {
    kTimeNone = -1,
    kTimeMetric = 1,
    kTimeBarsBeats = 2,
    kTimeSmpte = 3,
    kTimeSamples = 4,
    kTimeMinSec = 5,
};

class TimeFormatter {
public:
    TimeFormatter() = default;

    void set(int32_t format, int32_t unitRate, int32_t beatsPerMeasure, int32_t samplesPerBeat);
    void setOrigin(int32_t origin) { m_origin = origin; }
    // Format, rate, meter and samples per beat of the project, the first CD track
    // split as origin.
    void setFromDocument(const CMultitrackerDoc& doc);
    static TimeFormatter fromDocument(const CMultitrackerDoc& doc);

    // Formats into text() and returns it. An unknown format, or a zero rate, samples
    // per beat or meter where the format needs them, gives an empty text.
    const QString& format(int32_t position);
    const QString& text() const { return m_text; }

    // The ruler's candidate steps for this format and the base unit they count in.
    std::vector<RulerStep> rulerSteps(int64_t& baseUnit) const;

    int32_t formatCode() const { return m_format; }
    int32_t unitRate() const { return m_unitRate; }
    int32_t beatsPerMeasure() const { return m_beatsPerMeasure; }
    int32_t samplesPerBeat() const { return m_samplesPerBeat; }
    int32_t origin() const { return m_origin; }

private:
    QString m_text;
    int32_t m_beatsPerMeasure = 0;
    int32_t m_samplesPerBeat = 0;
    int32_t m_format = kTimeNone;
    int32_t m_unitRate = 0;
    int32_t m_origin = 0;
};

} // namespace quillon
