#include "ui/clip_tool.h"
#include "ui/crossfade_tempo_dialog.h"
#include "ui/lane_geometry.h"

#include "base/prompter.h"
#include "model/audio_clip.h"
#include "model/crossfade.h"
#include "model/multitracker_doc.h"
#include "model/tempo_matcher.h"
#include "model/track.h"
#include "plugins/class_com.h"
#include "ui/multitracker_view.h"
#include "ui/time_formatter.h"

#include <QActionGroup>
#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>

#include <algorithm>
#include <climits>
#include <mutex>

namespace quillon {

namespace {

QString tx(const char* text) { return QCoreApplication::translate("ClipTool", text); }

constexpr const char* kShapeTexts[5] = {"&Linear Crossfade", "&Logarithmic Crossfade", "&Exponential Crossfade",
                                        "Sinusodial Crossfade", "No Crossfade"};

} // namespace

ClipTool::ClipTool(CMultitrackerView& view) : m_view(view) {}

ClipTool::~ClipTool() = default;

int ClipTool::hitTest(int x, int y)
{
    m_track = -1;
    m_clip = nullptr;
    m_resize = false;
    m_inCrossfade = false;
    CMultitrackerDoc& doc = m_view.document();
    const int32_t track = LaneGeometry::trackAtY(doc, y);
    if (track < 0 || !doc.trackAt(track)->isActive())
        return 0;
    // Later clips lie on top where two overlap, so that the overlap is the later
    // clip's incoming crossfade.
    const std::vector<CAudioClip*>& clips = doc.trackAt(track)->clips();
    for (auto it = clips.rbegin(); it != clips.rend(); ++it) {
        CAudioClip* clip = *it;
        const int xs = m_view.xOf(clip->start());
        const int xe = m_view.xOf(clip->end());
        if (!clip->outgoing() && x >= xe - kHandlePixels && x < xe + kHandlePixels) {
            m_resize = true;
        } else if (x >= xs && x < xe) {
            m_grabX = x - xs;
            if (const Crossfade* in = clip->incoming())
                m_inCrossfade = x < m_view.xOf(int32_t(std::min<int64_t>(int64_t(clip->start()) + in->length(), INT32_MAX)));
        } else {
            continue;
        }
        m_track = track;
        m_clip = clip;
        // The marked section is left alone here: hovering must not clear it.
        return kHitDrag | kHitMenu | kHitDoubleClick;
    }
    return 0;
}

QString ClipTool::shortName(const std::string& fileName)
{
    const QString name = QString::fromStdString(fileName);
    const qsizetype slash = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    QString base = name.mid(slash + 1);
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        base.truncate(dot);
    return base;
}

QString ClipTool::tooltipText() { return m_clip ? shortName(m_clip->fileName()) : QString(); }

QString ClipTool::statusText()
{
    if (!m_clip || !m_resize)
        return {};
    TimeFormatter f = TimeFormatter::fromDocument(m_view.document());
    f.setOrigin(0);
    return f.format(m_clip->length());
}

QCursor ClipTool::cursor() { return QCursor(m_resize ? Qt::SizeHorCursor : Qt::SizeAllCursor); }

void ClipTool::openStepOnce()
{
    if (m_stepOpen)
        return;
    m_view.document().openUndoStep();
    m_stepOpen = true;
}

bool ClipTool::beginDrag(int modifier)
{
    if (!m_clip)
        return false;
    CMultitrackerDoc& doc = m_view.document();
    doc.setMarkedSection(SampleRange(doc.cursor(), doc.cursor()));
    m_moved = false;
    m_stepOpen = false;
    m_reachedTrack = m_track;
    if (m_resize)
        return true;
    m_wasSelected = m_clip->isSelected();
    if (modifier == kModNone && !m_wasSelected)
        doc.clearClipSelection();
    m_clip->setSelected(true);
    return true;
}

void ClipTool::moveBody(int x, int y)
{
    CMultitrackerDoc& doc = m_view.document();
    std::vector<CAudioClip*> selected = doc.selectedClips();
    if (selected.empty())
        return;
    int64_t delta = int64_t(m_view.positionAt(x - m_grabX)) - m_clip->start();
    int32_t earliest = INT32_MAX;
    int32_t topTrack = INT32_MAX;
    int32_t bottomTrack = -1;
    for (CAudioClip* c : selected) {
        earliest = std::min(earliest, c->start());
        const int32_t t = doc.trackOfClip(c);
        topTrack = std::min(topTrack, t);
        bottomTrack = std::max(bottomTrack, t);
    }
    delta = std::max<int64_t>(delta, -int64_t(earliest));
    delta = std::min<int64_t>(delta, int64_t(INT32_MAX) - m_clip->end());
    // Below the last lane (or above the first) the track reached so far holds.
    int32_t target = LaneGeometry::trackAtY(doc, y);
    if (target < 0)
        target = m_reachedTrack;
    int32_t trackDelta = target - m_reachedTrack;
    if (topTrack + trackDelta < 0 || bottomTrack + trackDelta >= doc.trackCount())
        trackDelta = 0;
    if (delta == 0 && trackDelta == 0)
        return;
    if (selected.size() > 1 && !doc.clipFitsAtOffset(m_clip, int32_t(delta)))
        return;
    std::sort(selected.begin(), selected.end(), [delta](const CAudioClip* a, const CAudioClip* b) {
        return delta < 0 ? a->start() < b->start() : a->start() > b->start();
    });
    openStepOnce();
    bool any = false;
    for (CAudioClip* c : selected)
        any = doc.moveClip(c, trackDelta, int32_t(delta)) || any;
    if (any) {
        m_moved = true;
        m_reachedTrack += trackDelta;
    }
}

bool ClipTool::dragTo(int x, int y)
{
    if (!m_clip)
        return false;
    if (!m_resize) {
        moveBody(x, y);
        return true;
    }
    CMultitrackerDoc& doc = m_view.document();
    // At least one frame: a clip of no length would have no time-scale ratio.
    const int64_t end = std::max<int64_t>(int64_t(m_clip->start()) + 1, doc.snap(std::max(0, m_view.positionAt(x))));
    if (end == m_clip->end())
        return true;
    openStepOnce();
    try {
        if (doc.resizeClip(m_clip, int32_t(end)))
            m_moved = true;
    } catch (const ClassCom& e) {
        // The file filter cannot stretch that far: the drag ends with the clip as the
        // filter left it, and the user is told.
        doc.prompter().showMessage(e.what(), PromptIcon::Error);
        return false;
    }
    return true;
}

void ClipTool::endDrag(int modifier)
{
    CMultitrackerDoc& doc = m_view.document();
    if (m_clip && !m_resize && !m_moved) {
        if (modifier == kModCtrl) {
            m_clip->setSelected(!m_wasSelected);
        } else {
            doc.clearClipSelection();
            m_clip->setSelected(true);
        }
    }
    if (m_moved) {
        doc.setModified();
        // The clip's own track may have lost a neighbour it overlapped.
        if (const int32_t t = doc.trackOfClip(m_clip); t >= 0)
            doc.trackAt(t)->rebuildCrossfades();
    }
    m_stepOpen = false;
}

QMenu* ClipTool::contextMenu()
{
    if (!m_clip)
        return nullptr;
    m_menu = std::make_unique<QMenu>();
    if (m_inCrossfade && m_clip->incoming()) {
        auto* group = new QActionGroup(m_menu.get());
        const int32_t shape = m_clip->incoming()->shape();
        for (int s = 0; s < 5; ++s) {
            QAction* a = m_menu->addAction(tx(kShapeTexts[s]));
            a->setData(kShapeCommands[s]);
            a->setCheckable(true);
            a->setChecked(s == shape);
            group->addAction(a);
        }
        m_menu->addSeparator();
        m_menu->addAction(tx("Match Tempos..."))->setData(kCommandMatchTempos);
        return m_menu.get();
    }
    CMultitrackerDoc& doc = m_view.document();
    QAction* edit = m_menu->addAction(tx("Edit Audio File in Wave Editor..."));
    edit->setData(kCommandWaveEditor);
    edit->setEnabled(doc.selectedClips().size() <= 1);
    m_menu->setDefaultAction(edit);
    m_menu->addAction(tx("Delete Selected Audio Clip(s)"))->setData(kCommandDelete);
    QMenu* following = m_menu->addMenu(tx("Select all Following Files"));
    following->addAction(tx("In selected track"))->setData(kCommandFollowingInTrack);
    following->addAction(tx("All tracks"))->setData(kCommandFollowingAllTracks);
    m_menu->addAction(tx("Change Color of Selected Audio File(s)..."))->setData(kCommandColour);
    return m_menu.get();
}

bool ClipTool::menuCommand(int commandId)
{
    if (!m_clip)
        return false;
    CMultitrackerDoc& doc = m_view.document();
    for (int s = 0; s < 5; ++s) {
        if (commandId != kShapeCommands[s])
            continue;
        Crossfade* in = m_clip->incoming();
        if (!in || !in->outgoing() || in->shape() == s)
            return false;
        doc.openUndoStep();
        doc.setCrossfadeShape(in->outgoing(), s);
        doc.setModified();
        return true;
    }
    switch (commandId) {
    case kCommandMatchTempos: return matchTempos();
    case kCommandDelete:
        if (doc.selectedClips().empty())
            m_clip->setSelected(true);
        m_clip = nullptr;
        // Opens its own undo step, drops the clips from the peak poll and rebuilds
        // the crossfades of their tracks.
        doc.deleteSelectedClips();
        return true;
    case kCommandWaveEditor:
        m_clip->editInWaveEditor();
        return false;
    case kCommandFollowingInTrack:
    case kCommandFollowingAllTracks:
        doc.setCursor(m_clip->start());
        doc.setCurrentTrack(m_track);
        doc.selectAllFollowing(commandId == kCommandFollowingAllTracks);
        doc.updateAllViews(kHintRefresh);
        return false;
    case kCommandColour: {
        const uint32_t bgr = m_clip->colour();
        const QColor initial(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
        const QColor chosen = QColorDialog::getColor(initial, &m_view);
        if (!chosen.isValid())
            return false;
        const uint32_t colour = uint32_t(chosen.red()) | uint32_t(chosen.green()) << 8 | uint32_t(chosen.blue()) << 16;
        std::vector<CAudioClip*> targets = doc.selectedClips();
        if (targets.empty())
            targets.push_back(m_clip);
        if (std::all_of(targets.begin(), targets.end(), [colour](const CAudioClip* c) { return c->colour() == colour; }))
            return false; // the colour they have: no change, no step
        doc.openUndoStep();
        for (CAudioClip* c : targets)
            c->setColour(colour);
        doc.setModified();
        return true;
    }
    default:
        return false;
    }
}

bool ClipTool::matchTempos()
{
    Crossfade* in = m_clip ? m_clip->incoming() : nullptr;
    CMultitrackerDoc& doc = m_view.document();
    const int32_t index = doc.trackOfClip(m_clip);
    if (!in || index < 0)
        return false;
    CTrack* track = doc.trackAt(index);
    // The clips' new lengths must reach a running render in one piece: the track is
    // held from the user's OK until the transitions are scaled. The step is taken
    // first, while the clips are as they were.
    std::unique_lock<WatchedMutex> hold(track->lock(), std::defer_lock);
    bool confirmed = false;
    CrossfadeTempoChooser chooser(&m_view, [&] {
        doc.openUndoStep();
        confirmed = true;
        hold.lock();
    });
    TempoMatcher::Result result = TempoMatcher::Result::Cancelled;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        result = TempoMatcher::match(*in, doc.prompter(), chooser);
    } catch (const ClassCom& e) {
        QApplication::restoreOverrideCursor();
        if (hold.owns_lock())
            hold.unlock();
        doc.prompter().showMessage(e.what(), PromptIcon::Error);
        // A transition scaled before the failure is a change all the same.
        if (confirmed) {
            track->rebuildCrossfades();
            doc.setModified();
        }
        return confirmed;
    }
    QApplication::restoreOverrideCursor();
    if (hold.owns_lock())
        hold.unlock();
    if (result != TempoMatcher::Result::Applied)
        return false;
    // The scaled clips end elsewhere now: neighbours may overlap differently.
    track->rebuildCrossfades();
    doc.setModified();
    return true;
}

} // namespace quillon
