#include "ui/time_formatter.h"

#include "model/multitracker_doc.h"

#include <QCoreApplication>

namespace quillon {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("TimeFormatter", text); }

// A translated printf format is only used when it asks for exactly `count` integers;
// anything else in a language pack (a %s, a missing field) would read past the
// arguments, so the built-in format is used instead.
QByteArray safeIntFormat(const QString& translated, const char* fallback, int count)
{
    const QByteArray fmt = translated.toUtf8();
    int found = 0;
    for (int i = 0; i < fmt.size(); ++i) {
        if (fmt[i] != '%')
            continue;
        ++i;
        if (i < fmt.size() && fmt[i] == '%')
            continue;
        while (i < fmt.size() && (fmt[i] == '.' || fmt[i] == '0' || (fmt[i] >= '1' && fmt[i] <= '9')))
            ++i;
        if (i >= fmt.size() || fmt[i] != 'd')
            return fallback;
        ++found;
    }
    return found == count ? fmt : QByteArray(fallback);
}

} // namespace

void TimeFormatter::set(int32_t format, int32_t unitRate, int32_t beatsPerMeasure, int32_t samplesPerBeat)
{
    m_format = format;
    m_unitRate = unitRate;
    m_beatsPerMeasure = beatsPerMeasure;
    m_samplesPerBeat = samplesPerBeat;
}

void TimeFormatter::setFromDocument(const CMultitrackerDoc& doc)
{
    set(doc.timeFormat(), static_cast<int32_t>(doc.sampleRate()), doc.beatsPerMeasure(), doc.samplesPerBeat());
    setOrigin(doc.timeOrigin());
}

TimeFormatter TimeFormatter::fromDocument(const CMultitrackerDoc& doc)
{
    TimeFormatter f;
    f.setFromDocument(doc);
    return f;
}

const QString& TimeFormatter::format(int32_t position)
{
    // Both are 32-bit, so the difference and every product below fit in 64 bits.
    long long p = static_cast<long long>(position) - m_origin;
    const bool negative = p < 0;
    if (negative)
        p = -p;
    const long long r = m_unitRate;
    const long long b = m_samplesPerBeat;
    const long long m = m_beatsPerMeasure;
    m_text.clear();
    switch (m_format) {
    case kTimeMetric:
        if (r > 0)
            m_text = QString::asprintf("%lld%s %.2lld%s:%.3lld", p / (r * 60), tr("m").toUtf8().constData(),
                                       (p / r) % 60, tr("s").toUtf8().constData(), (p * 1000 / r) % 1000);
        break;
    case kTimeBarsBeats:
        if (b > 0 && m > 0) {
            const QByteArray fmt = safeIntFormat(tr("%d:%.1d:%.3d"), "%d:%.1d:%.3d", 3);
            m_text = QString::asprintf(fmt.constData(), int(p / (m * b)), int((p / b) % m), int((p * 1000 / b) % 1000));
        }
        break;
    case kTimeSmpte:
        if (r > 0)
            m_text = QString::asprintf("%.2lld:%.2lld:%.2lld:%.2lld", p / (r * 3600), (p / (r * 60)) % 60, (p / r) % 60,
                                       (p * 25 / r) % 25);
        break;
    case kTimeSamples:
        if (p < 1000)
            m_text = QString::asprintf("%lld", p);
        else if (p < 1000000)
            m_text = QString::asprintf("%lld %.3lld", p / 1000, p % 1000);
        else if (p < 1000000000)
            m_text = QString::asprintf("%lld %.3lld %.3lld", p / 1000000, (p / 1000) % 1000, p % 1000);
        else
            m_text = QString::asprintf("%lld %.3lld %.3lld %.3lld", p / 1000000000, (p / 1000000) % 1000,
                                       (p / 1000) % 1000, p % 1000);
        break;
    case kTimeMinSec:
        if (r > 0)
            m_text = QString::asprintf("%lld%s %.2lld%s", p / (r * 60), tr("m").toUtf8().constData(), (p / r) % 60,
                                       tr("s").toUtf8().constData());
        break;
    default:
        break;
    }
    if (negative && !m_text.isEmpty())
        m_text.prepend(QLatin1Char('-'));
    return m_text;
}

std::vector<RulerStep> TimeFormatter::rulerSteps(int64_t& baseUnit) const
{
    switch (m_format) {
    case kTimeMetric:
        baseUnit = m_unitRate;
        return {{-3, 1}, {-2, 1}, {-1, 1}, {0, 1}, {1, 1}, {1, 6}, {2, 6}, {2, 36}};
    case kTimeBarsBeats:
        baseUnit = m_samplesPerBeat;
        return {{-3, 1}, {-2, 1}, {-1, 1}, {0, 1}, {0, m_beatsPerMeasure}};
    case kTimeSmpte:
        baseUnit = m_unitRate;
        return {{-2, 4}, {-1, 2}, {0, 1}, {1, 1}, {1, 6}, {2, 6}, {2, 36}};
    case kTimeSamples:
        baseUnit = 1;
        return {{0, 1}};
    default:
        baseUnit = 0;
        return {};
    }
}

} // namespace quillon
