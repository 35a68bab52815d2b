#include "ui/master_view.h"

#include "engine/wave_output_device.h"
#include "model/multitracker_doc.h"
#include "ui/knob.h"
#include "ui/multitracker_view.h"
#include "ui/time_formatter.h"
#include "ui/time_ruler.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolBar>

#include <algorithm>

namespace quillon {

namespace {

QString tx(const char* text) { return QCoreApplication::translate("CMasterView", text); }

// The cursor shown inside the range: an open hand, as the range can be moved.
QCursor rangeCursor() { return QCursor(Qt::OpenHandCursor); }

} // namespace

CMasterView::CMasterView(CMultitrackerDoc& doc, CMultitrackerView& timeline, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_timeline(timeline)
{
    setObjectName(QStringLiteral("CMasterView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    m_toolBar = new QToolBar(this);
    m_toolBar->setIconSize(QSize(24, 24));
    m_toolBar->setMovable(false);
    m_volumeLabel = new QLabel(this);
    m_panLabel = new QLabel(this);
    retranslateLabels();
    m_volumeKnob = new CKnob(this);
    m_volumeKnob->setObjectName(QStringLiteral("volumeKnob"));
    m_volumeKnob->setMinimum(-60);
    m_volumeKnob->setMaximum(0);
    m_panKnob = new CKnob(this);
    m_panKnob->setObjectName(QStringLiteral("panKnob"));
    m_panKnob->setMinimum(-100);
    m_panKnob->setMaximum(100);
    connect(m_volumeKnob, &CKnob::valueChanged, this, [this](short v) {
        m_volume = v;
        applyOutputVolume();
    });
    connect(m_panKnob, &CKnob::valueChanged, this, [this](short v) {
        m_pan = v;
        applyOutputVolume();
    });
    connect(&m_timeline, &CMultitrackerView::visibleRangeChanged, this, [this] {
        m_dirty = true;
        update();
    });
    m_doc.hints().addObserver(this);
    layoutControls();
}

CMasterView::~CMasterView() { m_doc.hints().removeObserver(this); }

void CMasterView::retranslateLabels()
{
    m_volumeLabel->setText(tx("Volume") + QLatin1Char(':'));
    m_panLabel->setText(tx("Pan") + QLatin1Char(':'));
}

void CMasterView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslateLabels();
        layoutControls();
    }
    QWidget::changeEvent(event);
}

void CMasterView::setMasterVolume(int16_t db)
{
    m_volumeKnob->setValue(db);
    m_volume = m_volumeKnob->value();
    applyOutputVolume();
}

void CMasterView::setMasterPan(int16_t pan)
{
    m_panKnob->setValue(pan);
    m_pan = m_panKnob->value();
    applyOutputVolume();
}

void CMasterView::applyOutputVolume()
{
    if (m_volumeSink)
        m_volumeSink(WaveOutputDevice::volumeWord(m_volume, m_pan));
}

void CMasterView::layoutControls()
{
    const int H = height();
    const QFontMetrics fm(font());
    const int w1 = fm.horizontalAdvance(m_volumeLabel->text());
    const int w2 = fm.horizontalAdvance(m_panLabel->text());
    m_toolBar->setGeometry(10, H - 35, 310, 32);
    m_volumeLabel->setGeometry(330, H - 25, w1, 20);
    m_volumeKnob->setGeometry(330 + w1, H - 38, 50, 38);
    m_panLabel->setGeometry(390 + w1, H - 25, w2, 20);
    m_panKnob->setGeometry(390 + w1 + w2, H - 38, 50, 38);
}

void CMasterView::resizeEvent(QResizeEvent*)
{
    layoutControls();
    m_dirty = true;
}

// ---- mapping ----

int32_t CMasterView::projectLength() const { return m_doc.projectLength(); }

int CMasterView::xOf(int64_t position) const
{
    const int64_t P = projectLength();
    if (P <= 0)
        return 0;
    return int(std::clamp<int64_t>(position * width() / P, INT32_MIN / 2, INT32_MAX / 2));
}

int64_t CMasterView::samplesFor(int pixels) const
{
    if (width() <= 0)
        return 0;
    return int64_t(projectLength()) * pixels / width();
}

CMasterView::DragMode CMasterView::hitTest(int x, int y) const
{
    if (y <= kOverviewTop || y >= overviewBottom() || projectLength() <= 0)
        return kDragNone;
    const SampleRange v = m_timeline.visibleRange();
    const int left = xOf(v.begin);
    const int right = xOf(v.end);
    if (std::abs(x - right) <= kEdgeSlack)
        return kDragRight;
    if (std::abs(x - left) <= kEdgeSlack)
        return kDragLeft;
    if (x > left + kEdgeSlack && x < right - kEdgeSlack)
        return kDragRange;
    return kDragNone;
}

SampleRange CMasterView::draggedRange(const SampleRange& range, DragMode mode, int lastX, int x) const
{
    const int64_t delta = samplesFor(x - lastX);
    int64_t begin = range.begin;
    int64_t end = range.end;
    switch (mode) {
    case kDragLeft: begin = std::min(begin + delta, end - 1); break;
    case kDragRight: end = std::max(begin + 1, end + delta); break;
    case kDragRange:
        begin += delta;
        end += delta;
        break;
    default: return range;
    }
    if (end < begin)
        std::swap(begin, end);
    if (end - begin < kMinimumRange)
        end = begin + kMinimumRange;
    begin = std::clamp<int64_t>(begin, INT32_MIN, INT32_MAX - kMinimumRange);
    end = std::clamp<int64_t>(end, begin + kMinimumRange, INT32_MAX);
    return SampleRange(int32_t(begin), int32_t(end));
}

// ---- mouse ----

void CMasterView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    m_drag = hitTest(pos.x(), pos.y());
    m_lastX = pos.x();
}

void CMasterView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_drag == kDragNone) {
        switch (hitTest(pos.x(), pos.y())) {
        case kDragLeft:
        case kDragRight: setCursor(Qt::SizeHorCursor); break;
        case kDragRange: setCursor(rangeCursor()); break;
        default: unsetCursor(); break;
        }
        return;
    }
    if (pos.x() == m_lastX)
        return;
    const SampleRange r = draggedRange(m_timeline.visibleRange(), m_drag, m_lastX, pos.x());
    m_lastX = pos.x();
    HintPayload payload;
    payload.range = r;
    m_doc.updateAllViews(kHintVisibleRange, &payload, this);
    m_dirty = true;
    repaint();
}

void CMasterView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_drag = kDragNone;
}

// ---- painting ----

void CMasterView::paintOverview(QPainter& p)
{
    const int top = kOverviewTop;
    const int bottom = overviewBottom();
    const int w = width();
    if (bottom <= top)
        return;
    p.fillRect(QRect(0, top, w, bottom - top), Qt::black);
    p.fillRect(QRect(m_visibleLeft, top, std::max(0, m_visibleRight - m_visibleLeft), bottom - top), Qt::white);
    if (projectLength() <= 0)
        return;
    if (m_peaksStale || int(m_peaks.size()) != w) {
        m_doc.buildProjectOverview(m_peaks, w);
        m_peaksStale = false;
    }
    const int h = bottom - top;
    const int mid = top + h / 2;
    for (int i = 0; i < w && i < int(m_peaks.size()); ++i) {
        const double a = std::clamp<double>(m_peaks[size_t(i)].first, -1.0, 1.0);
        const double b = std::clamp<double>(m_peaks[size_t(i)].second, -1.0, 1.0);
        p.setPen(QColor(i < m_visibleLeft || i >= m_visibleRight ? kOutsideWave : kInsideWave));
        const int y0 = int(mid - a * h / 2 - 1);
        const int y1 = int(mid - b * h / 2);
        // The line's far end is not drawn.
        p.drawLine(i, y0, i, y1 + (y1 < y0 ? 1 : -1));
    }
    QPen bracket{QColor(kBracket)};
    bracket.setWidth(3);
    p.setPen(bracket);
    const int l = m_visibleLeft;
    const int r = m_visibleRight;
    const QPoint left[4] = {{l + 3, top + 1}, {l, top + 1}, {l, bottom - 2}, {l + 3, bottom - 2}};
    const QPoint right[4] = {{r - 3, top + 1}, {r, top + 1}, {r, bottom - 2}, {r - 3, bottom - 2}};
    p.drawPolyline(left, 4);
    p.drawPolyline(right, 4);
}

void CMasterView::render()
{
    if (m_frame.size() != size()) {
        m_frame = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        m_dirty = true;
    }
    if (!m_dirty)
        return;
    m_cursorX = -1;
    const int w = width();
    const int64_t P = projectLength();
    const SampleRange v = m_timeline.visibleRange();
    m_visibleLeft = xOf(v.begin);
    m_visibleRight = xOf(v.end);

    QPainter p(&m_frame);
    p.setFont(font());
    const QColor face = palette().color(QPalette::Button);
    p.fillRect(QRect(0, 0, w, kOverviewTop), face);
    TimeFormatter formatter = TimeFormatter::fromDocument(m_doc);
    TimeRuler ruler;
    ruler.background = face;
    ruler.textColour = palette().color(QPalette::ButtonText);
    ruler.lineColour = palette().color(QPalette::ButtonText);
    const int32_t origin = m_doc.timeOrigin();
    if (P > 0 && v.begin < origin) {
        const int xo = std::clamp(xOf(origin), 0, w);
        p.fillRect(QRect(0, 0, xo, kOverviewTop), palette().color(QPalette::Dark));
        formatter.setOrigin(0);
        ruler.setRange(0, int32_t(std::max<int64_t>(0, P - origin)));
        ruler.draw(p, xo, 0, w, kOverviewTop, formatter);
    } else if (P > 0) {
        ruler.setRange(0, int32_t(P));
        ruler.draw(p, 0, 0, w, kOverviewTop, formatter);
    }
    p.fillRect(QRect(0, overviewBottom(), w, height() - overviewBottom()), face);
    paintOverview(p);
    p.end();
    m_dirty = false;
    moveCursor();
}

void CMasterView::xorCursor(int x)
{
    if (x < 0 || x >= m_frame.width())
        return;
    const QRgb c = kCursor & 0xFFFFFF;
    const int bottom = std::min(overviewBottom(), m_frame.height());
    for (int y = kOverviewTop; y < bottom; y += 2) {
        QRgb* line = reinterpret_cast<QRgb*>(m_frame.scanLine(y));
        line[x] = (line[x] ^ c) | 0xFF000000u;
    }
}

void CMasterView::moveCursor()
{
    const int64_t P = projectLength();
    const int x = P > 0 ? xOf(m_doc.cursor()) : -1;
    if (x == m_cursorX)
        return;
    xorCursor(m_cursorX);
    xorCursor(x);
    m_cursorX = x;
}

QImage CMasterView::renderClient()
{
    render();
    return m_frame;
}

void CMasterView::paintEvent(QPaintEvent*)
{
    render();
    QPainter p(this);
    p.drawImage(0, 0, m_frame);
}

void CMasterView::onHint(int hint, const HintPayload*)
{
    switch (hint) {
    case kHintPlayPosition:
        if (!m_frame.isNull() && !m_dirty) {
            moveCursor();
            update();
        }
        return;
    case kHintActivateView:
        return;
    case kHintVisibleRange:
        break;
    default:
        m_peaksStale = true;
        break;
    }
    m_dirty = true;
    update();
}

} // namespace quillon
