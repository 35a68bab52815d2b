#include "ui/recording_overview.h"

#include "model/wizard_compilation.h"
#include "plugins/class_com.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace quillon {

namespace {

constexpr int kMargin = 2;

float levelDb(float amplitude)
{
    if (!(amplitude > 0.0f))
        return RecordingOverview::kFloorDb;
    return std::max(RecordingOverview::kFloorDb, 20.0f * std::log10(amplitude));
}

} // namespace

RecordingOverview::RecordingOverview(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &RecordingOverview::poll);
}

void RecordingOverview::setRecording(const std::string& path, const WAVEFORMATEX* projectFormat)
{
    m_poll.stop();
    m_clip = path.empty() ? nullptr : WizardCompilation::openRecording(path, projectFormat);
    m_levels.clear();
    m_progress = 100;
    if (m_clip) {
        refreshLevels();
        if (!peaksComplete())
            m_poll.start();
    }
    update();
}

void RecordingOverview::setRanges(const std::vector<std::pair<int32_t, int32_t>>& ranges)
{
    m_ranges = ranges;
    if (m_selected >= int(m_ranges.size()))
        m_selected = -1;
    update();
}

void RecordingOverview::setThresholdDb(float db)
{
    m_thresholdDb = db;
    update();
}

void RecordingOverview::setSelectedRange(int index)
{
    m_selected = index >= 0 && index < int(m_ranges.size()) ? index : -1;
    update();
}

QRect RecordingOverview::plotRect() const { return rect().adjusted(kMargin, kMargin, -kMargin, -kMargin); }

int RecordingOverview::xOf(int32_t frame) const
{
    const QRect plot = plotRect();
    const int32_t length = recordingLength();
    if (length <= 0)
        return plot.left();
    return plot.left() + int(int64_t(frame) * plot.width() / length);
}

int32_t RecordingOverview::frameAt(int x) const
{
    const QRect plot = plotRect();
    const int32_t length = recordingLength();
    if (length <= 0 || plot.width() <= 0)
        return 0;
    return int32_t(std::clamp<int64_t>(int64_t(x - plot.left()) * length / plot.width(), 0, length));
}

int RecordingOverview::yOf(float db, bool upper) const
{
    const QRect plot = plotRect();
    const double half = plot.height() / 2.0;
    const double middle = plot.top() + half;
    const double share = std::clamp((db - kFloorDb) / -kFloorDb, 0.0f, 1.0f);
    return int(std::lround(upper ? middle - share * half : middle + share * half));
}

int RecordingOverview::rangeAt(int x) const
{
    const int32_t frame = frameAt(x);
    for (size_t i = 0; i < m_ranges.size(); ++i)
        if (frame >= m_ranges[i].first && frame < m_ranges[i].second)
            return int(i);
    return -1;
}

void RecordingOverview::poll()
{
    refreshLevels();
    if (peaksComplete())
        m_poll.stop();
    update();
}

void RecordingOverview::refreshLevels()
{
    m_levels.clear();
    FileFilter* filter = m_clip ? m_clip->filter() : nullptr;
    const int width = plotRect().width();
    if (!filter || width <= 0 || m_clip->length() <= 0)
        return;
    try {
        m_progress = filter->peakProgress();
        const PeakBuffer peaks = filter->peaks(0, m_clip->length(), width);
        m_levels.assign(peaks.points, kFloorDb);
        for (uint32_t i = 0; i < peaks.points; ++i) {
            float loudest = 0.0f;
            for (uint32_t c = 0; c < peaks.channels; ++c)
                loudest = std::max({loudest, std::fabs(peaks.minimum(i, c)), std::fabs(peaks.maximum(i, c))});
            m_levels[i] = levelDb(loudest);
        }
    } catch (const ClassCom&) {
        // A recording the filter cannot read any more is drawn without its waveform.
        m_levels.clear();
        m_progress = 100;
    }
}

void RecordingOverview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    refreshLevels();
}

void RecordingOverview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), backgroundColour());
    const QRect plot = plotRect();
    if (!m_clip || plot.width() <= 0 || plot.height() <= 0)
        return;

    for (size_t i = 0; i < m_ranges.size(); ++i) {
        const int x0 = xOf(m_ranges[i].first);
        const int x1 = std::max(x0 + 1, xOf(m_ranges[i].second));
        p.fillRect(QRect(x0, plot.top(), x1 - x0, plot.height()), rangeColour(int(i) == m_selected));
    }

    p.setPen(QPen(waveColour(), 0));
    const int columns = std::min<int>(int(m_levels.size()), plot.width());
    for (int i = 0; i < columns; ++i) {
        if (m_levels[i] <= kFloorDb)
            continue;
        const int x = plot.left() + i;
        p.drawLine(x, yOf(m_levels[i], true), x, yOf(m_levels[i], false));
    }

    QPen dashed(thresholdColour(), 0, Qt::DashLine);
    p.setPen(dashed);
    for (bool upper : {true, false}) {
        const int y = yOf(m_thresholdDb, upper);
        p.drawLine(plot.left(), y, plot.right(), y);
    }

    // Numbers last, so the waveform never hides them.
    p.setPen(Qt::white);
    const int textHeight = fontMetrics().height();
    for (size_t i = 0; i < m_ranges.size(); ++i) {
        const int x0 = xOf(m_ranges[i].first);
        const int x1 = xOf(m_ranges[i].second);
        const QString number = QString::number(i + 1);
        if (x1 - x0 > fontMetrics().horizontalAdvance(number) + 4)
            p.drawText(QRect(x0 + 2, plot.top(), x1 - x0 - 2, textHeight), Qt::AlignLeft | Qt::AlignTop, number);
    }
    if (!peaksComplete())
        p.drawText(plot, Qt::AlignRight | Qt::AlignBottom, tr("Reading the recording... %1 %").arg(m_progress));
}

void RecordingOverview::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const int index = rangeAt(int(event->position().x()));
    if (index >= 0) {
        setSelectedRange(index);
        emit rangeClicked(index);
    }
}

} // namespace quillon
