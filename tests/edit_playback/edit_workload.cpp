#include "edit_workload.h"

#include "model/assignable_group.h"
#include "model/audio_clip.h"
#include "model/crossfade.h"
#include "model/curve.h"
#include "model/curve_point.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/project_label.h"
#include "model/track.h"
#include "model/transform_plugin.h"
#include "plugins/effect_catalog.h"

#include <algorithm>

namespace quillon::test {

namespace {

using ChainKind = CMultitrackerDoc::ChainKind;

constexpr const char* kNames[] = {"add clip",      "move clip",     "resize clip",  "remove clip", "crossfade shape",
                                  "curve point",   "add effect",    "remove effect", "change effect",
                                  "send level",    "volume and pan", "label",        "insert time",
                                  "remove time",   "insert track",  "delete track", "undo",        "redo"};
static_assert(sizeof(kNames) / sizeof(kNames[0]) == EditWorkload::KindCount);

// The kinds in proportion to how often a user does them; those that stop playback rarely.
constexpr int kWeights[EditWorkload::KindCount] = {6, 10, 6, 4, 6, 12, 4, 3, 8, 8, 10, 4, 3, 3, 1, 1, 1, 1};

} // namespace

const char* EditWorkload::name(Kind kind) { return kind < KindCount ? kNames[kind] : "?"; }

EditWorkload::EditWorkload(CMultitrackerDoc& doc, const EffectCatalog& catalog, std::vector<std::string> files,
                           uint32_t seed)
    : m_doc(doc), m_catalog(catalog), m_files(std::move(files)), m_random(seed), m_counts(KindCount, 0)
{
    for (size_t i = 0; i < m_catalog.entries().size(); ++i)
        m_effects.push_back(i);
}

bool EditWorkload::addEffectTo(int chainKind, int32_t index)
{
    if (m_effects.empty())
        return false;
    const EffectCatalogEntry& entry = m_catalog.entries()[m_effects[size_t(pick(int(m_effects.size())))]];
    std::unique_ptr<CTransformPlugin> effect = CTransformPlugin::createFromEntry(entry, m_catalog);
    return effect && m_doc.addEffect(static_cast<ChainKind>(chainKind), index, std::move(effect));
}

void EditWorkload::buildProject(int32_t tracks, int32_t clips, int32_t effectsPerTrack)
{
    const int32_t rate = static_cast<int32_t>(m_doc.sampleRate());
    const int32_t overlap = rate / 4;
    while (m_doc.trackCount() < tracks)
        m_doc.insertTrack(m_doc.trackCount(), std::make_unique<CTrack>("Untitled"));
    for (int32_t t = 0; t < tracks; ++t) {
        int32_t at = pick(rate);
        for (int32_t c = 0; c < clips; ++c) {
            auto clip = std::make_unique<CAudioClip>(&m_doc.format());
            if (!clip->openFile(at, m_files[size_t((t + c) % int32_t(m_files.size()))]))
                continue;
            CAudioClip* placed = m_doc.addClipToTrack(t, std::move(clip), false);
            at = placed->end() - overlap;
        }
        CTrack* track = m_doc.trackAt(t);
        int32_t shape = t;
        for (CAudioClip* c : std::vector<CAudioClip*>(track->clips()))
            if (c->outgoing())
                m_doc.setCrossfadeShape(c, shape++ % 4);
        track->addCurve(CCurve::kVolume);
        track->addCurve(CCurve::kPan);
        for (int32_t p = 1; p <= 8; ++p) {
            m_doc.addCurvePoint(t, CCurve::kVolume, p * rate, 0.6f + 0.4f * unit());
            m_doc.addCurvePoint(t, CCurve::kPan, p * rate, 0.3f + 0.4f * unit());
        }
        for (int32_t e = 0; e < effectsPerTrack; ++e)
            addEffectTo(int(ChainKind::Track), t);
    }
    CAssignableGroup* group = m_doc.addGroup();
    for (int32_t t = 0; t < tracks; ++t)
        group->setSendLevel(t, 0.3f);
    addEffectTo(int(ChainKind::Group), 0);
    addEffectTo(int(ChainKind::Master), 0);
}

EditWorkload::Kind EditWorkload::randomEdit(bool structural)
{
    int total = 0;
    for (int k = 0; k < KindCount; ++k)
        if (structural || !stopsPlayback(Kind(k)))
            total += kWeights[k];
    int r = pick(total);
    for (int k = 0; k < KindCount; ++k) {
        if (!structural && stopsPlayback(Kind(k)))
            continue;
        if (r < kWeights[k]) {
            edit(Kind(k));
            return Kind(k);
        }
        r -= kWeights[k];
    }
    return AddClip;
}

bool EditWorkload::edit(Kind kind)
{
    const int32_t rate = static_cast<int32_t>(m_doc.sampleRate());
    const int32_t tracks = m_doc.trackCount();
    if (tracks == 0)
        return false;
    const int32_t t = pick(tracks);
    CTrack* track = m_doc.trackAt(t);
    const std::vector<CAudioClip*> clips = track->clips();
    CAudioClip* clip = clips.empty() ? nullptr : clips[size_t(pick(int(clips.size())))];
    // Effects are asked for their state by the undo step, as a command would.
    // (The effect and track commands open their own.)
    if (kind != Undo && kind != Redo && kind != InsertTrack && kind != AddEffect && kind != RemoveEffect)
        m_doc.openUndoStep();

    bool done = true;
    switch (kind) {
    case AddClip: {
        // The file is opened before anything is locked, as Insert Audio File(s) does.
        auto c = std::make_unique<CAudioClip>(&m_doc.format());
        done = c->openFile(pick(20 * rate), m_files[size_t(pick(int(m_files.size())))]) &&
               m_doc.addClipToTrack(t, std::move(c), pick(2) == 0) != nullptr;
        break;
    }
    case MoveClip:
        done = clip && m_doc.moveClip(clip, pick(3) - 1, pick(2 * rate) - rate);
        break;
    case ResizeClip:
        done = clip && m_doc.resizeClip(clip, clip->start() + std::max(rate / 10, clip->length() + pick(rate) - rate / 2));
        break;
    case RemoveClip:
        if ((done = clip && m_doc.removeClip(clip) >= 0))
            delete clip;
        break;
    case CrossfadeShape: {
        CAudioClip* from = nullptr;
        for (CAudioClip* c : clips)
            if (c->outgoing() && (!from || pick(3) == 0))
                from = c;
        done = from && m_doc.setCrossfadeShape(from, pick(5));
        break;
    }
    case CurvePoint: {
        const int32_t curveKind = pick(2);
        CCurve* curve = track->curve(curveKind);
        if (!curve) {
            track->addCurve(curveKind);
            break;
        }
        const int action = pick(3);
        quillon::CurvePoint* point = curve->pointCount() > 1 ? curve->pointAfter(curve->firstPoint()) : nullptr;
        if (action == 0 || !point)
            done = m_doc.addCurvePoint(t, curveKind, pick(20 * rate), unit()) != nullptr;
        else if (action == 1)
            done = m_doc.moveCurvePoint(t, curveKind, point, point->position + pick(rate) - rate / 2, unit());
        else
            done = m_doc.removeCurvePoint(t, curveKind, point);
        break;
    }
    case AddEffect: {
        const int chainKind = pick(3);
        done = addEffectTo(chainKind, chainKind == int(ChainKind::Group) ? pick(std::max(1, m_doc.groupCount())) : t);
        break;
    }
    case RemoveEffect: {
        const auto chainKind = static_cast<ChainKind>(pick(3));
        const int32_t index = chainKind == ChainKind::Group ? pick(std::max(1, m_doc.groupCount())) : t;
        EffectChain* chain = m_doc.effectChain(chainKind, index);
        done = chain && !chain->empty() && m_doc.removeEffect(chainKind, index, pick(int(chain->size())));
        break;
    }
    case ChangeEffect: {
        const auto chainKind = static_cast<ChainKind>(pick(3));
        EffectChain* chain =
            m_doc.effectChain(chainKind, chainKind == ChainKind::Group ? pick(std::max(1, m_doc.groupCount())) : t);
        if ((done = chain && !chain->empty())) {
            CTransformPlugin* effect = chain->at(size_t(pick(int(chain->size()))));
            switch (pick(3)) {
            case 0:
                effect->setBypassed(!effect->isBypassed());
                break;
            case 1:
                if (const uint32_t n = effect->parameterCount()) {
                    const uint32_t i = uint32_t(pick(int(n)));
                    const EffectParameterInfo info = effect->parameterInfo(i);
                    effect->setParameter(i, info.minimum + (info.maximum - info.minimum) * unit());
                }
                break;
            default:
                effect->loadState(effect->saveState());
                break;
            }
        }
        break;
    }
    case SendLevel:
        if (m_doc.groupCount() == 0 || pick(10) == 0)
            m_doc.addGroup();
        else if (m_doc.groupCount() > 1 && pick(10) == 0)
            m_doc.removeGroup(pick(m_doc.groupCount()));
        else
            m_doc.setSendLevel(t, pick(m_doc.groupCount()), unit());
        break;
    case VolumeAndPan:
        track->setVolume(0.5f + 0.3f * unit());
        track->setPan(unit());
        break;
    case Label: {
        CLabelList& labels = m_doc.labels();
        CLabelList::Cursor walk;
        ProjectLabel* label = nullptr;
        for (ProjectLabel* l = labels.first(walk); l; l = labels.next(walk))
            if (l->kind == ProjectLabel::kFreeLabel)
                label = l;
        if (label && pick(2) == 0)
            labels.remove(label);
        else
            labels.add(pick(20 * rate), pick(2) ? ProjectLabel::kFreeLabel : ProjectLabel::kIndex, "label");
        m_doc.updateAllViews(0);
        break;
    }
    case InsertTime:
        m_doc.insertTime(pick(20 * rate), rate / 2);
        break;
    case RemoveTime: {
        const int32_t at = pick(20 * rate);
        m_doc.removeTime({at, at + rate / 2});
        break;
    }
    case InsertTrack:
        m_doc.setCurrentTrack(t);
        done = m_doc.insertTrackCommand() != nullptr;
        break;
    case DeleteTrack:
        done = m_doc.deleteTrack(t);
        break;
    case Undo:
        done = m_doc.undo();
        break;
    case Redo:
        // Any other edit empties the redo list: undo one first.
        if (!m_doc.canRedo())
            m_doc.undo();
        done = m_doc.redo();
        break;
    case KindCount:
        done = false;
        break;
    }
    if (done)
        ++m_counts[size_t(kind)];
    return done;
}

} // namespace quillon::test
