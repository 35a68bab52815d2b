#include "ui/multitracker_view.h"
#include "ui/label_properties_dialog.h"

#include "ui/lane_geometry.h"

#include "base/prompter.h"
#include "base/settings_store.h"
#include "model/audio_clip.h"
#include "model/crossfade.h"
#include "model/curve.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/project_label.h"
#include "model/track.h"
#include "plugins/class_com.h"
#include "ui/half_open_lines.h"
#include "ui/label_glyphs.h"
#include "ui/time_formatter.h"
#include "ui/time_ruler.h"
#include "ui/transport_control.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>

namespace quillon {

namespace {

// Pixel results far outside the client are kept in a range the painter handles.
constexpr int64_t kPixelLimit = 1 << 28;

QColor fromColorRef(uint32_t c) { return QColor(int(c & 0xff), int((c >> 8) & 0xff), int((c >> 16) & 0xff)); }

QColor lightened(const QColor& c)
{
    auto ch = [](int v) { return std::min(255, int(v * 1.07)); };
    return QColor(ch(c.red()), ch(c.green()), ch(c.blue()));
}

QColor clipFill(const QColor& c)
{
    return QColor((c.red() + 3 * 255) / 4, (c.green() + 3 * 255) / 4, (c.blue() + 3 * 255) / 4);
}

QFont viewFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    return font;
}

struct Split {
    int32_t position;
    int32_t pause;
};

std::vector<Split> splitsOf(CLabelList& labels)
{
    std::vector<Split> out;
    std::lock_guard<CLabelList> guard(labels);
    CLabelList::Cursor cursor;
    for (const ProjectLabel* l = labels.first(cursor); l; l = labels.next(cursor))
        if (l->kind == ProjectLabel::kTrackSplit)
            out.push_back({l->position, l->pause});
    return out;
}

} // namespace

CMultitrackerView::CMultitrackerView(CMultitrackerDoc& doc, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(doc)
{
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFrameShape(QFrame::NoFrame);
    setFont(viewFont());
    m_showGrid = m_doc.settings().profileInt("View", "ShowGrid", 0) != 0;
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    horizontalScrollBar()->setRange(0, kScrollMax);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) {
        if (!m_updatingScrollBars)
            scrollHorizontally(action, horizontalScrollBar()->sliderPosition());
    });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) {
        if (!m_updatingScrollBars)
            scrollVertically(action, verticalScrollBar()->sliderPosition());
    });
    m_doc.hints().addObserver(this);
    SampleRange range = m_visible;
    clampVisible(range);
    m_visible = range;
    updateScrollBars();
}

CMultitrackerView::~CMultitrackerView() { m_doc.hints().removeObserver(this); }

bool CMultitrackerView::isPlaying() const { return m_transport && m_transport->isPlaying(); }

void CMultitrackerView::addTool(std::unique_ptr<TimelineTool> tool)
{
    if (tool)
        m_tools.push_back(std::move(tool));
}

// ---- geometry ----

QRect CMultitrackerView::clientRect() const { return QRect(QPoint(0, 0), viewport()->size()); }

QRect CMultitrackerView::trackArea() const
{
    const QRect c = clientRect();
    // right and bottom as the client's: exclusive edges kept in QRect's inclusive form.
    return QRect(QPoint(c.left() + kCornerWidth, c.top() + kTopStrip), c.bottomRight());
}

int CMultitrackerView::xOf(int32_t position) const
{
    const QRect area = trackArea();
    const int64_t w = int64_t(area.right() + 1) - area.left();
    const int64_t l = int64_t(m_visible.end) - m_visible.begin;
    if (l <= 0)
        return area.left();
    const int64_t x = area.left() + (int64_t(position) - m_visible.begin) * w / l;
    return static_cast<int>(std::clamp<int64_t>(x, -kPixelLimit, kPixelLimit));
}

int32_t CMultitrackerView::positionAt(int x) const
{
    const QRect area = trackArea();
    const int64_t w = int64_t(area.right() + 1) - area.left();
    if (w <= 0)
        return 0;
    const int64_t l = int64_t(m_visible.end) - m_visible.begin;
    const int64_t p = m_visible.begin + l * (int64_t(x) - area.left()) / w;
    return static_cast<int32_t>(std::clamp<int64_t>(p, INT32_MIN, INT32_MAX));
}

void CMultitrackerView::clampVisible(SampleRange& range) const
{
    range.clamp(SampleRange(0, std::max(0, m_doc.projectLength())));
}

void CMultitrackerView::setVisibleRange(const SampleRange& range)
{
    SampleRange r = range;
    clampVisible(r);
    m_visible = r;
    updateScrollBars();
    refresh();
}

namespace {

// Builds a range from 64-bit ends, kept inside the sample-position range.
SampleRange rangeOf(int64_t begin, int64_t end)
{
    return SampleRange(static_cast<int32_t>(std::clamp<int64_t>(begin, INT32_MIN, INT32_MAX)),
                       static_cast<int32_t>(std::clamp<int64_t>(end, INT32_MIN, INT32_MAX)));
}

} // namespace

// ---- commands ----

void CMultitrackerView::zoomIn()
{
    const int64_t l = int64_t(m_visible.end) - m_visible.begin;
    if (l / 2 < 20)
        return;
    const int64_t c = m_doc.cursor();
    setVisibleRange(rangeOf(c - l / 4, c + l / 4));
}

void CMultitrackerView::zoomOut()
{
    const int64_t l = int64_t(m_visible.end) - m_visible.begin;
    setVisibleRange(rangeOf(m_visible.begin - l / 2, int64_t(m_visible.end) + l / 2));
}

void CMultitrackerView::viewWholeProject()
{
    const int32_t contentEnd = m_doc.projectEnd();
    if (contentEnd < 21)
        setVisibleRange(SampleRange(0, m_doc.projectLength()));
    else
        setVisibleRange(rangeOf(0, static_cast<int64_t>(std::trunc(contentEnd * 1.1))));
}

bool CMultitrackerView::canShowMarkedSection() const { return m_doc.markedSection().length() > 20; }

void CMultitrackerView::showOnlyMarkedSection()
{
    if (canShowMarkedSection())
        setVisibleRange(m_doc.markedSection());
}

bool CMultitrackerView::canDeleteTrack() const { return m_doc.trackCount() > 1; }

void CMultitrackerView::deleteTrack()
{
    if (!canDeleteTrack())
        return;
    if (!m_doc.prompter().askOkCancel(
            "This operation deletes the track and its entire content. Are you sure you want to proceed?"))
        return;
    const int32_t current = m_doc.currentTrack();
    if (current < 0 || current >= m_doc.trackCount())
        return;
    m_doc.deleteTrackCommand(current);
    m_doc.setModified();
    m_doc.updateAllViews(kHintStructure);
}

bool CMultitrackerView::canInsertLabels() const { return !m_doc.autoCdTracks(); }

void CMultitrackerView::insertCdTrackSplit()
{
    if (!canInsertLabels())
        return;
    m_doc.insertLabelCommand(m_doc.cursor(), ProjectLabel::kTrackSplit, std::string(),
                             m_doc.settings().profileString("General", "Default-Artist", ""), m_doc.defaultPause());
}

void CMultitrackerView::insertCdIndex()
{
    if (!canInsertLabels())
        return;
    m_doc.insertLabelCommand(m_doc.cursor(), ProjectLabel::kIndex);
}

void CMultitrackerView::insertLabel()
{
    if (!canInsertLabels())
        return;
    const ProjectLabel fresh(ProjectLabel::kFreeLabel, m_doc.cursor(), std::string(),
                             m_doc.settings().profileString("General", "Default-Artist", ""));
    LabelPropertiesDialog dialog(fresh, int32_t(m_doc.sampleRate()), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ProjectLabel edited = dialog.result();
    m_doc.insertLabelCommand(edited.position, ProjectLabel::kFreeLabel, edited.title, edited.artist);
}

void CMultitrackerView::playFromCursor()
{
    if (!m_transport)
        return;
    const SampleRange marked = m_doc.markedSection();
    const SampleRange range = marked.length() != 0 ? marked : SampleRange(m_doc.cursor(), INT32_MAX);
    m_transport->play(range, nullptr, m_doc.loopPlayback().load());
    if (m_transport->isPlaying())
        startPlayTimer();
}

void CMultitrackerView::playAll()
{
    if (!m_transport)
        return;
    m_transport->play(SampleRange(0, INT32_MAX), nullptr, m_doc.loopPlayback().load());
    if (m_transport->isPlaying())
        startPlayTimer();
}

void CMultitrackerView::stopPlaying()
{
    if (m_transport)
        m_transport->stopCommand();
}

void CMultitrackerView::setShowGrid(bool on)
{
    m_showGrid = on;
    m_doc.settings().writeProfileInt("View", "ShowGrid", on ? 1 : 0);
    refresh();
}

// ---- scroll bars ----

CMultitrackerView::HorizontalScroll CMultitrackerView::horizontalScroll() const
{
    HorizontalScroll s;
    const int64_t len = m_doc.projectLength();
    const int64_t l = int64_t(m_visible.end) - m_visible.begin;
    s.visible = len != 0 && l != len;
    if (len > 0) {
        s.page = static_cast<int>(std::clamp<int64_t>(l * kScrollMax / len, 0, kScrollMax));
        s.position = static_cast<int>(std::clamp<int64_t>(int64_t(m_visible.begin) * kScrollMax / len, 0, kScrollMax));
    }
    return s;
}

void CMultitrackerView::scrollHorizontally(int action, int thumb)
{
    const int64_t l = int64_t(m_visible.end) - m_visible.begin;
    const int64_t len = m_doc.projectLength();
    int64_t start = m_visible.begin;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        start -= std::max<int64_t>(1, l / 80);
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        start += std::max<int64_t>(1, l / 80);
        break;
    case QAbstractSlider::SliderPageStepSub:
        start -= l;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        start += l;
        break;
    case QAbstractSlider::SliderToMinimum:
        start = 0;
        break;
    case QAbstractSlider::SliderToMaximum:
        start = len - l;
        break;
    case QAbstractSlider::SliderMove:
        start = int64_t(thumb) * std::max<int64_t>(1, len / kScrollMax);
        break;
    default:
        return;
    }
    setVisibleRange(rangeOf(start, start + l));
}

CMultitrackerView::VerticalScroll CMultitrackerView::verticalScroll() const
{
    VerticalScroll s;
    const int32_t count = m_doc.trackCount();
    const QRect area = trackArea();
    s.page = std::max(0, area.height());
    for (int32_t i = 0; i < count; ++i) {
        const int h = m_doc.trackAt(i)->height();
        if (i < m_doc.firstVisibleTrack())
            s.position += h;
        s.range += h;
    }
    s.visible = s.range > s.page;
    return s;
}

void CMultitrackerView::scrollVertically(int action, int thumb)
{
    const int32_t count = m_doc.trackCount();
    int32_t first = m_doc.firstVisibleTrack();
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        first -= 1;
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        first += 1;
        break;
    case QAbstractSlider::SliderPageStepSub:
        first -= 5;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        first += 5;
        break;
    case QAbstractSlider::SliderToMinimum:
        first = 0;
        break;
    case QAbstractSlider::SliderToMaximum:
        first = count - 2;
        break;
    case QAbstractSlider::SliderMove: {
        int top = 0;
        first = 0;
        for (int32_t i = 0; i < count; ++i) {
            if (top > thumb)
                break;
            first = i;
            top += m_doc.trackAt(i)->height();
        }
        break;
    }
    default:
        return;
    }
    first = std::clamp(first, 0, std::max(0, count - 1));
    if (first != m_doc.firstVisibleTrack()) {
        m_doc.setFirstVisibleTrack(first);
        updateScrollBars();
        m_doc.updateAllViews(kHintRefresh);
    } else {
        updateScrollBars();
    }
}

void CMultitrackerView::updateScrollBars()
{
    m_updatingScrollBars = true;
    const HorizontalScroll h = horizontalScroll();
    QScrollBar* hb = horizontalScrollBar();
    // The platform bar counts its maximum as the last position a page can start at.
    hb->setRange(0, std::max(0, kScrollMax - h.page + 1));
    hb->setPageStep(std::max(1, h.page));
    hb->setValue(h.position);
    setHorizontalScrollBarPolicy(h.visible ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);

    VerticalScroll v = verticalScroll();
    if (!v.visible && m_doc.firstVisibleTrack() != 0) {
        m_doc.setFirstVisibleTrack(0);
        v = verticalScroll();
        m_dirty = true;
    }
    QScrollBar* vb = verticalScrollBar();
    vb->setRange(0, std::max(0, v.range - v.page));
    vb->setPageStep(std::max(1, v.page));
    vb->setValue(v.position);
    setVerticalScrollBarPolicy(v.visible ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_updatingScrollBars = false;
    // Every change of the visible range ends here; the master strip follows it.
    if (m_visible.begin != m_reportedVisible.begin || m_visible.end != m_reportedVisible.end) {
        m_reportedVisible = m_visible;
        emit visibleRangeChanged();
    }
}

// ---- hints ----

void CMultitrackerView::fitTracks() { LaneGeometry::fitTrackHeights(m_doc, std::max(0, viewport()->height() - kTopStrip)); }

void CMultitrackerView::onHint(int hint, const HintPayload* payload)
{
    fitTracks();
    switch (hint) {
    case kHintPlayPosition:
        moveCursorLine();
        return;
    case kHintRateChanged:
        if (payload) {
            const double f = payload->rateRatio;
            m_visible = rangeOf(int64_t(std::trunc(m_visible.begin * f)), int64_t(std::trunc(m_visible.end * f)));
        }
        break;
    case kHintStructure:
        // Clips may have been replaced (undo, redo, loading) by new ones that can sit at
        // a former clip's address: cached peaks are not trusted across this hint.
        m_peaks.clear();
        break;
    case kHintActivateView:
        setFocus();
        break;
    case kHintVisibleRange:
        if (payload) {
            setVisibleRange(payload->range);
            return;
        }
        break;
    default:
        break;
    }
    updateScrollBars();
    refresh();
}

void CMultitrackerView::refresh()
{
    m_dirty = true;
    viewport()->update();
}

// ---- painting ----

CMultitrackerView::Colours CMultitrackerView::colours() const
{
    const QPalette pal = palette();
    return {pal.color(QPalette::Button), pal.color(QPalette::Dark), pal.color(QPalette::Highlight),
            pal.color(QPalette::ButtonText)};
}

void CMultitrackerView::ensureFrame()
{
    const QSize size = viewport()->size();
    if (m_frame.size() != size) {
        m_frame = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        m_dirty = true;
    }
    if (!m_dirty)
        return;
    m_peaksPending = false;
    renderContent(m_frame);
    m_dirty = false;
    if (m_peaksPending && !m_peakWaitTimer.isActive())
        m_peakWaitTimer.start(kPeakWaitMs, this);
}

QImage CMultitrackerView::renderClient()
{
    m_dirty = true;
    ensureFrame();
    return m_frame.copy();
}

void CMultitrackerView::paintEvent(QPaintEvent*)
{
    ensureFrame();
    QPainter p(viewport());
    p.drawImage(0, 0, m_frame);
}

void CMultitrackerView::fillBands(QPainter& p, int top, int bottom, const QColor& base, int left, int right) const
{
    if (bottom <= top || right <= left)
        return;
    const Colours c = colours();
    const QColor alternate = lightened(base);
    const std::vector<Split> splits = splitsOf(m_doc.labels());
    const int32_t contentEnd = m_doc.projectEnd();
    auto fill = [&](int64_t from, int64_t to, const QColor& colour) {
        const int x0 = std::max<int>(left, from <= INT32_MIN ? left : xOf(static_cast<int32_t>(from)));
        const int x1 = std::min<int>(right, to >= INT32_MAX ? right : xOf(static_cast<int32_t>(to)));
        if (x1 > x0)
            p.fillRect(QRect(x0, top, x1 - x0, bottom - top), colour);
    };
    // The colour switches at every split; past the content the next band's colour.
    int band = 0;
    int64_t from = INT32_MIN;
    for (const Split& s : splits) {
        if (s.position > contentEnd)
            break;
        fill(from, s.position, band % 2 ? alternate : base);
        from = s.position;
        ++band;
    }
    fill(from, contentEnd, band % 2 ? alternate : base);
    fill(std::max<int64_t>(from, contentEnd), INT32_MAX, (band + 1) % 2 ? alternate : base);
    for (const Split& s : splits)
        if (s.pause > 0)
            fill(int64_t(s.position) - s.pause, s.position, c.shadow);
    const SampleRange marked = m_doc.markedSection();
    const int mx0 = std::max(left, xOf(marked.begin));
    const int mx1 = std::min(right, xOf(marked.end) + 1);
    if (mx1 > mx0)
        p.fillRect(QRect(mx0, top, mx1 - mx0, bottom - top), c.highlight);
}

void CMultitrackerView::renderContent(QImage& image)
{
    const Colours c = colours();
    const QRect client(QPoint(0, 0), image.size());
    const QRect area = trackArea();
    const int top = client.top();
    const int right = client.right() + 1;
    const int bottom = client.bottom() + 1;
    const int areaLeft = area.left();

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(viewFont());
    p.fillRect(client, c.shadow);

    TimeFormatter formatter = TimeFormatter::fromDocument(m_doc);

    // Top strip, its separator and the marked section.
    fillBands(p, top, top + kTopStrip, c.face, areaLeft, right);
    p.setPen(QPen(Qt::black, 0));
    halfOpenLine(p, client.left(), top + 64, right, top + 64);
    const SampleRange marked = m_doc.markedSection();
    {
        const int mx0 = xOf(marked.begin);
        const int mx1 = xOf(marked.end) + 1;
        const QRect rect(mx0, top, std::max(0, mx1 - mx0), kTopStrip);
        p.fillRect(rect, c.highlight);
        p.save();
        p.setClipRect(rect);
        p.setPen(Qt::white);
        p.drawText(rect, Qt::AlignHCenter | Qt::AlignTop, tr("\n\nMarked"));
        p.restore();
        const int middle = top + kTopStrip / 2;
        drawLabelGlyph(p, LabelGlyph::MarkStart, mx0, middle - 6);
        drawLabelGlyph(p, LabelGlyph::MarkEnd, mx1 - 6, middle - 6);
    }

    // Ruler: times count from the first CD track split.
    {
        TimeRuler ruler;
        ruler.noBackground = true;
        ruler.textColour = c.text;
        ruler.lineColour = c.text;
        const int32_t origin = formatter.origin();
        if (origin > m_visible.begin) {
            ruler.setRange(0, static_cast<int32_t>(std::min<int64_t>(INT32_MAX, int64_t(m_visible.end) - origin)));
            formatter.setOrigin(0);
            const int left = std::max(areaLeft, xOf(origin));
            if (left < right)
                ruler.draw(p, left, top, right, top + kTopStrip, formatter);
            formatter.setFromDocument(m_doc);
        } else {
            ruler.setRange(m_visible.begin, m_visible.end);
            ruler.draw(p, areaLeft, top, right, top + kTopStrip, formatter);
        }
    }

    // Tracks.
    int y = area.top();
    const int32_t count = m_doc.trackCount();
    for (int32_t i = std::max(0, m_doc.firstVisibleTrack()); i < count && y < bottom; ++i) {
        CTrack& track = *m_doc.trackAt(i);
        const int h = track.height();
        paintTrack(p, track, i, y, h, formatter);
        y += h;
    }
    if (y < bottom) {
        p.setPen(QPen(Qt::black, 0));
        halfOpenLine(p, areaLeft, y, right, y);
        if (y + 1 < bottom)
            p.fillRect(QRect(client.left(), y + 1, client.width(), bottom - y - 1), c.shadow);
    }

    paintLabels(p);

    // Corner.
    p.setPen(QPen(Qt::black, 0));
    halfOpenLine(p, client.left() + kCornerWidth, top, client.left() + kCornerWidth, top + kTopStrip);
    p.fillRect(QRect(client.left(), top, kCornerWidth + 1, kTopStrip), c.shadow);

    if (m_bandAnchor.x() < 0) {
        p.end();
        m_cursorX = -1;
        const int x = xOf(m_doc.cursor());
        xorCursor(image, x);
        m_cursorX = x;
    } else {
        p.setPen(QPen(QColor(0, 127, 0), 0));
        dottedRect(p, QRect(m_bandAnchor, m_bandCurrent).normalized());
        m_cursorX = -1;
    }
}

void CMultitrackerView::paintTrack(QPainter& p, CTrack& track, int index, int y, int h, const TimeFormatter&)
{
    const Colours c = colours();
    const QRect area = trackArea();
    const int right = area.right() + 1;
    QColor base = c.face;
    if (index == m_doc.currentTrack()) {
        if (hasFocus())
            base = QColor((c.highlight.red() + 3 * c.face.red()) / 4, (c.highlight.green() + 3 * c.face.green()) / 4,
                          (c.highlight.blue() + 3 * c.face.blue()) / 4);
        else
            base = QColor(int(c.face.red() * 0.9), int(c.face.green() * 0.9), int(c.face.blue() * 0.9));
    }
    fillBands(p, y + 1, y + h, base, area.left(), right);
    p.setPen(QPen(Qt::white, 0));
    halfOpenLine(p, area.left(), y, right, y);
    p.setPen(QPen(c.shadow, 0));
    halfOpenLine(p, area.left(), y + h - 1, right, y + h - 1);

    // Drawn without the track's lock: this thread is the track's only writer, and a
    // render must not wait while peaks are fetched and painted.
    for (CAudioClip* clip : track.clips())
        paintClip(p, track, *clip, y, h, base);
    paintCurves(p, track, y, h);

    const int32_t beat = m_doc.samplesPerBeat();
    const int64_t l = int64_t(m_visible.end) - m_visible.begin;
    if (m_showGrid && beat > 0 && l / 80 < beat) {
        p.setPen(QPen(QColor(160, 160, 160), 0));
        for (int64_t i = m_visible.begin / beat; i < m_visible.end / beat; ++i) {
            const int x = xOf(static_cast<int32_t>(i * beat));
            if (x > area.left())
                dottedLine(p, x, y, x, y + h);
        }
    }
}

void CMultitrackerView::paintClip(QPainter& p, CTrack& track, CAudioClip& clip, int y, int h, const QColor&)
{
    const Colours c = colours();
    const QRect area = trackArea();
    const int right = area.right() + 1;
    const int xs = xOf(clip.start());
    int xe = xOf(clip.end() - clip.fadeOutLength());
    if (xe <= xs)
        xe = xs + 1;
    const int left = std::max(xs, area.left());
    const int bodyRight = std::min(xe, right);
    if (bodyRight <= left)
        return;

    const bool active = track.isActive();
    const QColor colour = fromColorRef(clip.colour());
    const QColor fill = active ? clipFill(colour) : c.face;
    const QColor pen = active ? colour : c.text;

    if (clip.isSelected())
        fillBands(p, y, y + h, fill, left, bodyRight);

    const int waveLeft = left;
    const int waveRight = std::min(right, std::max(xOf(clip.end()), xs + 1));
    paintWaveform(p, track, clip, waveLeft, waveRight, y, h, pen);

    if (Crossfade* in = clip.incoming(); in && in->length() > 0) {
        const int fx0 = xs - 1;
        const int fx1 = xOf(clip.start() + in->length()) - 1;
        QPen curvePen(QColor(160, 0, 0), 2);
        p.save();
        p.setClipRect(area);
        p.setPen(curvePen);
        QPolygon rising, falling;
        for (int x = fx0; x <= fx1; ++x) {
            if (x < area.left() - 2 || x > right + 2)
                continue;
            const float t = fx1 > fx0 ? float(x - fx0) / float(fx1 - fx0) : 1.0f;
            const float g = in->shapeValue(t);
            rising << QPoint(x, y + h - int(g * h));
            falling << QPoint(x, y + int(g * h));
        }
        p.drawPolyline(rising);
        p.drawPolyline(falling);
        p.restore();
    } else if (xs >= area.left() && xs < right) {
        p.setPen(QPen(Qt::black, 0));
        halfOpenLine(p, xs, y, xs, y + h);
    }

    const bool doubled = clip.isSelected() && active;
    p.setPen(QPen(Qt::black, 0));
    halfOpenLine(p, left, y, bodyRight, y);
    halfOpenLine(p, left, y + h - 1, bodyRight, y + h - 1);
    if (doubled) {
        halfOpenLine(p, left, y + 1, bodyRight, y + 1);
        halfOpenLine(p, left, y + h - 2, bodyRight, y + h - 2);
        if (!clip.incoming() && xs >= area.left() && xs + 1 < right)
            halfOpenLine(p, xs + 1, y, xs + 1, y + h);
    }
    if (xe <= right && xe - 1 >= area.left()) {
        halfOpenLine(p, xe - 1, y, xe - 1, y + h);
        if (doubled && xe - 2 >= area.left())
            halfOpenLine(p, xe - 2, y, xe - 2, y + h);
    }

    if (m_doc.showClipText()) {
        const QRect box(QPoint(left + 1, y + 1), QPoint(bodyRight, y + 15));
        p.fillRect(box, colour);
        p.setPen(Qt::white);
        const QString path = QString::fromStdString(clip.fileName());
        p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, fontMetrics().elidedText(path, Qt::ElideMiddle, box.width()));
    }
}

void CMultitrackerView::paintWaveform(QPainter& p, CTrack& track, CAudioClip& clip, int x0, int x1, int y, int h,
                                      const QColor& pen)
{
    FileFilter* filter = clip.filter();
    if (!filter || x1 <= x0 || h <= 2)
        return;
    const int width = x1 - x0;
    const int32_t begin = std::clamp<int32_t>(positionAt(x0) - clip.start(), 0, clip.length());
    const int32_t end = std::clamp<int32_t>(positionAt(x1) - clip.start(), 0, clip.length());
    if (end <= begin)
        return;

    uint32_t progress = 100;
    PeakCache& cache = m_peaks[&clip];
    try {
        progress = filter->peakProgress();
        if (cache.begin != begin || cache.end != end || cache.width != width ||
            cache.generation != clip.peakGeneration() || cache.peaks.isEmpty()) {
            cache.peaks = filter->peaks(begin, end, width);
            cache.begin = begin;
            cache.end = end;
            cache.width = width;
            cache.generation = clip.peakGeneration();
        }
    } catch (const ClassCom&) {
        m_peaks.erase(&clip);
        return;
    }

    const PeakBuffer& peaks = cache.peaks;
    if (!peaks.isEmpty()) {
        const CCurve* volume = track.curve(CCurve::kVolume);
        const CCurve* panCurve = track.curve(CCurve::kPan);
        const float gain = track.gain();
        const float pan = track.pan();
        const int lanes = static_cast<int>(peaks.channels);
        const int laneHeight = h / std::max(1, lanes);
        p.save();
        p.setClipRect(QRect(x0, y, width, h));
        p.setPen(QPen(pen, 0));
        for (int lane = 0; lane < lanes; ++lane) {
            const int laneTop = y + lane * laneHeight;
            int prevLow = -1;
            for (uint32_t i = 0; i < peaks.points && int(i) < width; ++i) {
                const int32_t pos = clip.start() + begin + static_cast<int32_t>(i * peaks.framesPerPoint);
                float factor = volume ? volume->valueAt(pos) * gain : gain;
                const float v = panCurve ? panCurve->valueAt(pos) : 0.5f;
                if (lane == 0)
                    factor *= (panCurve ? std::min(1.0f, 2 * v) : 1.0f) * std::min(1.0f, 2 - 2 * pan);
                else if (lane == 1)
                    factor *= (panCurve ? std::min(1.0f, 2 - 2 * v) : 1.0f) * std::min(1.0f, 2 * pan);
                const float lo = std::clamp(peaks.minimum(i, lane) * factor, -1.0f, 1.0f);
                const float hi = std::clamp(peaks.maximum(i, lane) * factor, -1.0f, 1.0f);
                const int yHi = laneTop + int((0.5f - hi * 0.5f) * laneHeight);
                const int yLo = laneTop + int((0.5f - lo * 0.5f) * laneHeight);
                const int x = x0 + int(i);
                if (prevLow >= 0)
                    p.drawLine(x - 1, prevLow, x, yHi);
                p.drawLine(x, yHi, x, yLo);
                prevLow = yLo;
            }
        }
        p.restore();
    }

    if (progress < 100) {
        p.save();
        const QRect rect(x0, y, width, h);
        p.setClipRect(rect);
        p.setPen(pen);
        p.drawText(rect, Qt::AlignCenter, tr("Creating peak file, %1% done.").arg(progress));
        p.restore();
        // The next paint asks again.
        m_peaks.erase(&clip);
        m_peaksPending = true;
    }
}

void CMultitrackerView::paintCurves(QPainter& p, CTrack& track, int y, int h)
{
    const Colours c = colours();
    const QRect area = trackArea();
    const int right = area.right() + 1;
    const bool active = track.isActive();
    for (CCurve* curve : track.curves()) {
        curve->setDisplayRect(CurveRect{area.left(), y, right, y + h});
        curve->setDisplayRange(m_visible);
        const bool selected = curve == m_selectedCurve && active;
        if (active) {
            const QColor k = QColor::fromRgb(curve->kind() == CCurve::kPan ? kPanCurveColour : kVolumeCurveColour);
            p.setPen(QPen(QColor(k.red() / 3 + 127, k.green() / 3 + 127, k.blue() / 3 + 127), selected ? 2 : 0));
        } else {
            p.setPen(QPen(c.shadow, 0));
        }
        QPolygon line;
        std::vector<QPoint> handles;
        line << QPoint(area.left(), curve->pointToPixel(CurvePoint(m_visible.begin, curve->valueAt(m_visible.begin))).y);
        for (CurvePoint* pt = curve->firstPointAtOrAfter(m_visible.begin); pt; pt = curve->nextPoint()) {
            const CurvePixel px = curve->pointToPixel(*pt);
            if (px.x >= right)
                break;
            if (px.x > area.left()) {
                line << QPoint(px.x, px.y);
                handles.emplace_back(px.x, px.y);
            }
        }
        line << QPoint(right, curve->pointToPixel(CurvePoint(m_visible.end, curve->valueAt(m_visible.end))).y);
        p.drawPolyline(line);
        if (selected) {
            p.save();
            p.setPen(QPen(Qt::black, 0));
            p.setBrush(Qt::white);
            for (const QPoint& pt : handles)
                p.drawRect(QRect(pt.x() - 4, pt.y() - 4, 6, 6));
            p.restore();
        }
    }
}

std::vector<CMultitrackerView::LabelBox> CMultitrackerView::labelBoxes() const
{
    const QRect area = trackArea();
    const int right = area.right() + 1;
    const int top = 0;
    TimeFormatter pauseFormatter = TimeFormatter::fromDocument(m_doc);
    pauseFormatter.setOrigin(0);

    std::vector<ProjectLabel> labels;
    {
        CLabelList& list = m_doc.labels();
        std::lock_guard<CLabelList> guard(list);
        CLabelList::Cursor cursor;
        for (const ProjectLabel* l = list.first(cursor); l; l = list.next(cursor))
            labels.push_back(*l);
    }
    std::vector<LabelBox> out;
    int trackNumber = 1;
    int indexNumber = 1;
    for (size_t i = 0; i < labels.size(); ++i) {
        const ProjectLabel& l = labels[i];
        const int x0 = xOf(l.position);
        const int x1 = i + 1 < labels.size() ? xOf(labels[i + 1].position) : right;
        if (x1 > area.left() && x0 < right) {
            LabelBox box;
            box.rect = QRect(QPoint(x0, top + 3), QPoint(x1 - 1, top + kTopStrip - 1));
            box.kind = l.kind;
            box.position = l.position;
            if (l.kind == ProjectLabel::kTrackSplit)
                box.text = tr("CD Track %1").arg(trackNumber);
            else if (l.kind == ProjectLabel::kIndex)
                box.text = tr("CD Index %1").arg(indexNumber);
            if (l.kind == ProjectLabel::kTrackSplit || l.kind == ProjectLabel::kIndex) {
                if (!l.title.empty())
                    box.text += QStringLiteral(" - ") + QString::fromStdString(l.title);
            } else {
                box.text = l.title.empty() ? tr("Untitled") : QString::fromStdString(l.title);
            }
            if (l.kind == ProjectLabel::kTrackSplit && l.pause > 0) {
                box.pauseText = tr("Pause") + QLatin1Char(' ') + pauseFormatter.format(l.pause);
                box.pauseLeft = xOf(l.position - l.pause);
                box.pauseRight = x0;
            }
            out.push_back(box);
        }
        if (l.kind == ProjectLabel::kTrackSplit) {
            ++trackNumber;
            indexNumber = 1;
        } else if (l.kind == ProjectLabel::kIndex) {
            ++indexNumber;
        }
    }
    return out;
}

void CMultitrackerView::paintLabels(QPainter& p)
{
    const Colours c = colours();
    const QRect area = trackArea();
    for (const LabelBox& box : labelBoxes()) {
        const LabelGlyph glyph = box.kind == ProjectLabel::kTrackSplit ? LabelGlyph::TrackSplit
                                 : box.kind == ProjectLabel::kIndex    ? LabelGlyph::Index
                                                                       : LabelGlyph::FreeLabel;
        drawLabelGlyph(p, glyph, box.rect.left(), box.rect.top());
        p.save();
        p.setPen(c.text);
        p.setClipRect(QRect(QPoint(std::max(area.left(), box.rect.left()), box.rect.top()), box.rect.bottomRight()));
        p.drawText(box.rect.translated(10, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, box.text);
        p.restore();
        if (!box.pauseText.isEmpty()) {
            drawLabelGlyph(p, LabelGlyph::Pause, box.pauseLeft - 7, 0);
            p.save();
            p.setPen(Qt::white);
            const QRect pauseRect(QPoint(box.pauseLeft, 20), QPoint(std::max(box.pauseLeft, box.pauseRight) - 1, 36));
            p.drawText(pauseRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, box.pauseText);
            p.restore();
        }
    }
}

void CMultitrackerView::xorCursor(QImage& image, int x) const
{
    const QRect area = trackArea();
    if (!(area.left() < x && x < image.width()))
        return;
    const bool playing = isPlaying();
    const QRgb mask = qRgb(0, 192, 192) & 0x00ffffff;
    int y = area.top();
    const int32_t count = m_doc.trackCount();
    for (int32_t i = std::max(0, m_doc.firstVisibleTrack()); i < count && y < image.height(); ++i) {
        const CTrack* t = m_doc.trackAt(i);
        const int h = t->height();
        if (!(playing && t->playbackOff())) {
            // A dotted line: every other pixel, counted from the band top.
            for (int yy = y; yy < y + h && yy < image.height(); yy += 2) {
                QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(yy));
                line[x] ^= mask;
            }
        }
        y += h;
    }
}

void CMultitrackerView::moveCursorLine()
{
    if (m_dirty || m_frame.isNull() || m_bandAnchor.x() >= 0) {
        refresh();
        return;
    }
    const int x = xOf(m_doc.cursor());
    if (x == m_cursorX)
        return;
    if (m_cursorX >= 0)
        xorCursor(m_frame, m_cursorX);
    xorCursor(m_frame, x);
    m_cursorX = x;
    viewport()->update();
}

void CMultitrackerView::startPlayTimer() { m_playTimer.start(kPlayTimerMs, this); }

void CMultitrackerView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_peakWaitTimer.timerId()) {
        m_peakWaitTimer.stop();
        refresh();
        return;
    }
    if (event->timerId() != m_playTimer.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    if (!m_transport || !m_transport->updatePlayPosition()) {
        m_playTimer.stop();
        refresh();
    }
}

// ---- input ----

int CMultitrackerView::modifierOf(Qt::KeyboardModifiers modifiers) const
{
    if (modifiers & Qt::ControlModifier)
        return TimelineTool::kModCtrl;
    if (modifiers & Qt::ShiftModifier)
        return TimelineTool::kModShift;
    return TimelineTool::kModNone;
}

TimelineTool* CMultitrackerView::toolAt(int x, int y, int flag, int* flags)
{
    for (const auto& tool : m_tools) {
        const int hit = tool->hitTest(x, y);
        if (hit & flag) {
            if (flags)
                *flags = hit;
            return tool.get();
        }
    }
    return nullptr;
}

int32_t CMultitrackerView::trackUnder(int y) const { return LaneGeometry::trackAtY(m_doc, y); }

void CMultitrackerView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    fitTracks();
    updateScrollBars();
    refresh();
}

void CMultitrackerView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    refresh();
}

void CMultitrackerView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    refresh();
}

void CMultitrackerView::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        const int32_t track = trackUnder(pos.y());
        if (track >= 0)
            m_doc.setCurrentTrack(track);
        refresh();
        if (TimelineTool* tool = toolAt(pos.x(), pos.y(), TimelineTool::kHitDrag)) {
            // The tool opens the undo step when its gesture first changes something,
            // so a click that changes nothing leaves the history alone.
            if (tool->beginDrag(modifierOf(event->modifiers()))) {
                m_activeTool = tool;
                return;
            }
        }
        if (!(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)))
            m_doc.clearClipSelection();
        if (isPlaying())
            m_transport->jumpTo(positionAt(pos.x()));
        else
            m_doc.setCursor(std::max(0, positionAt(pos.x())));
        m_bandBase.clear();
        for (CAudioClip* clip : m_doc.selectedClips())
            m_bandBase.insert(clip);
        m_bandAnchor = pos;
        m_bandCurrent = pos;
        m_doc.updateAllViews(kHintRefresh);
    } else if (event->button() == Qt::RightButton) {
        int flags = 0;
        if (TimelineTool* tool = toolAt(pos.x(), pos.y(), TimelineTool::kHitMenu, &flags)) {
            if (QMenu* menu = tool->contextMenu()) {
                if (QAction* chosen = menu->exec(event->globalPosition().toPoint())) {
                    if (tool->menuCommand(chosen->data().toInt()))
                        m_doc.updateAllViews(kHintStructure);
                }
            }
            return;
        }
        m_doc.setCursor(std::max(0, positionAt(pos.x())));
        const int32_t track = trackUnder(pos.y());
        if (track >= 0)
            m_doc.setCurrentTrack(track);
        m_doc.updateAllViews(kHintRefresh);
        emit trackContextMenuRequested(event->globalPosition().toPoint());
    }
}

void CMultitrackerView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton)) {
        if (TimelineTool* tool = toolAt(pos.x(), pos.y(), TimelineTool::kHitDrag))
            viewport()->setCursor(tool->cursor());
        else
            viewport()->unsetCursor();
        return;
    }
    const QRect area = trackArea();
    const int64_t l = int64_t(m_visible.end) - m_visible.begin;
    const int64_t step = std::max<int64_t>(1, l / 10);
    if (pos.x() < area.left() || pos.x() > area.right()) {
        int64_t start = m_visible.begin + (pos.x() < area.left() ? -step : step);
        start = std::max<int64_t>(0, start);
        setVisibleRange(rangeOf(start, start + l));
    }
    if (m_activeTool) {
        if (!m_activeTool->dragTo(pos.x(), pos.y())) {
            TimelineTool* tool = m_activeTool;
            m_activeTool = nullptr;
            tool->endDrag(modifierOf(event->modifiers()));
            m_doc.updateAllViews(kHintStructure);
            return;
        }
        refresh();
        const QString status = m_activeTool->statusText();
        if (!status.isEmpty())
            emit statusMessage(tr("Duration of object: %1").arg(status));
        return;
    }
    if (m_bandAnchor.x() >= 0) {
        const QRect client = clientRect();
        m_bandCurrent = QPoint(std::min(pos.x(), client.right()), std::min(pos.y(), client.bottom()));
        selectInRubberBand();
        refresh();
    }
}

void CMultitrackerView::selectInRubberBand()
{
    SampleRange time(positionAt(m_bandAnchor.x()), positionAt(m_bandCurrent.x()));
    time.normalise();
    const int32_t count = m_doc.trackCount();
    if (count == 0)
        return;
    auto trackFor = [&](int y) {
        const int32_t t = trackUnder(y);
        if (t >= 0)
            return t;
        return y < kTopStrip ? std::max(0, m_doc.firstVisibleTrack()) : count - 1;
    };
    int32_t t0 = trackFor(m_bandAnchor.y());
    int32_t t1 = trackFor(m_bandCurrent.y());
    if (t1 < t0)
        std::swap(t0, t1);
    for (int32_t i = 0; i < count; ++i) {
        CTrack* track = m_doc.trackAt(i);
        std::lock_guard guard(track->lock());
        for (CAudioClip* clip : track->clips()) {
            const bool inBand = i >= t0 && i <= t1 && clip->start() <= time.end && clip->end() >= time.begin;
            clip->setSelected(inBand || m_bandBase.count(clip));
        }
    }
}

void CMultitrackerView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    if (m_activeTool) {
        TimelineTool* tool = m_activeTool;
        m_activeTool = nullptr;
        tool->endDrag(modifierOf(event->modifiers()));
        emit statusMessage(QString());
        const int32_t track = trackUnder(pos.y());
        if (track >= 0)
            m_doc.setCurrentTrack(track);
        m_doc.updateAllViews(kHintStructure);
        return;
    }
    if (m_bandAnchor.x() >= 0) {
        m_bandAnchor = m_bandCurrent = QPoint(-1, -1);
        m_bandBase.clear();
        m_doc.setMarkedSection(SampleRange(m_doc.cursor(), m_doc.cursor()));
        m_doc.updateAllViews(kHintStructure);
    }
}

void CMultitrackerView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    const int32_t track = trackUnder(pos.y());
    if (track >= 0)
        m_doc.setCurrentTrack(track);
    m_doc.setCursor(std::max(0, positionAt(pos.x())));
    if (TimelineTool* tool = toolAt(pos.x(), pos.y(), TimelineTool::kHitDoubleClick)) {
        if (tool->doubleClick()) {
            m_doc.updateAllViews(kHintRefresh);
            return;
        }
    }
    m_doc.updateAllViews(kHintRefresh);
    emit waveEditorRequested();
}

void CMultitrackerView::wheelEvent(QWheelEvent* event)
{
    if (event->angleDelta().y() > 0)
        zoomIn();
    else
        zoomOut();
    event->accept();
}

void CMultitrackerView::selectNeighbour(int direction)
{
    const std::vector<CAudioClip*> selected = m_doc.selectedClips();
    if (selected.size() != 1)
        return;
    const int32_t current = m_doc.currentTrack();
    if (current < 0 || current >= m_doc.trackCount())
        return;
    const CAudioClip* sel = selected.front();
    CAudioClip* found = nullptr;
    CTrack* track = m_doc.trackAt(current);
    {
        std::lock_guard guard(track->lock());
        // The neighbour lies wholly beside the selected clip: a clip overlapping it in a
        // crossfade is passed over.
        for (CAudioClip* clip : track->clips()) {
            if (clip == sel)
                continue;
            if (direction < 0 && clip->end() <= sel->start() && (!found || clip->start() > found->start()))
                found = clip;
            if (direction > 0 && clip->start() >= sel->end() && (!found || clip->start() < found->start()))
                found = clip;
        }
    }
    if (!found)
        return;
    m_doc.clearClipSelection();
    found->setSelected(true);
    m_doc.updateAllViews(kHintRefresh);
}

void CMultitrackerView::moveCurrentTrack(int delta)
{
    const int32_t count = m_doc.trackCount();
    if (count == 0)
        return;
    const std::vector<CAudioClip*> selected = m_doc.selectedClips();
    const int32_t next = std::clamp(m_doc.currentTrack() + delta, 0, count - 1);
    m_doc.setCurrentTrack(next);
    if (!selected.empty()) {
        const int32_t at = selected.front()->start();
        CAudioClip* after = nullptr;
        CAudioClip* before = nullptr;
        CTrack* track = m_doc.trackAt(next);
        {
            std::lock_guard guard(track->lock());
            for (CAudioClip* clip : track->clips()) {
                if (clip->start() >= at && !after)
                    after = clip;
                if (clip->start() < at)
                    before = clip;
            }
        }
        if (CAudioClip* pick = after ? after : before) {
            m_doc.clearClipSelection();
            pick->setSelected(true);
        }
    }
    m_doc.updateAllViews(kHintRefresh);
}

void CMultitrackerView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        // A plain stop: the cursor stays where the playback was.
        if (isPlaying())
            m_transport->stopPlayback();
        else if (event->modifiers() & Qt::ShiftModifier)
            playAll();
        else
            playFromCursor();
        break;
    case Qt::Key_Left:
        selectNeighbour(-1);
        break;
    case Qt::Key_Right:
        selectNeighbour(1);
        break;
    case Qt::Key_Up:
        moveCurrentTrack(-1);
        break;
    case Qt::Key_Down:
        moveCurrentTrack(1);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

// ---- dropped files, tooltips ----

bool CMultitrackerView::dropFile(const QString& path, const QPoint& clientPos)
{
    const int32_t track = trackUnder(clientPos.y());
    if (track < 0 || path.isEmpty())
        return false;
    // The document's file insertion does the clip creation, colour, undo step and peak
    // watch; it places at the cursor on the current track, so both are pointed at the
    // drop first and the cursor is given back afterwards.
    const int32_t cursor = m_doc.cursor();
    m_doc.setCurrentTrack(track);
    m_doc.setCursor(std::max(0, positionAt(clientPos.x())));
    const int32_t placed = m_doc.insertAudioFiles({path.toStdString()}, 0);
    m_doc.setCursor(cursor);
    m_doc.updateAllViews(kHintStructure);
    return placed > 0;
}

void CMultitrackerView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMultitrackerView::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls() && trackUnder(event->position().toPoint().y()) >= 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void CMultitrackerView::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile())
        return;
    if (dropFile(urls.front().toLocalFile(), event->position().toPoint()))
        event->acceptProposedAction();
}

bool CMultitrackerView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        QString text;
        if (TimelineTool* tool = toolAt(help->pos().x(), help->pos().y(), ~0))
            text = tool->tooltipText().left(kTooltipChars);
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace quillon
