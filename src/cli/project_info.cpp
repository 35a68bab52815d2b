#include "cli/project_info.h"

#include "base/display_text.h"
#include "model/assignable_group.h"
#include "model/audio_clip.h"
#include "model/curve.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/project_label.h"
#include "model/track.h"
#include "model/transform_plugin.h"

#include <cstdio>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

namespace quillon {

namespace {

std::string jsonString(const std::string& s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string number(double v)
{
    std::ostringstream s;
    s << std::setprecision(9) << v;
    return s.str();
}

const char* labelKind(int32_t kind)
{
    switch (kind) {
    case ProjectLabel::kTrackSplit: return "cd_track";
    case ProjectLabel::kIndex: return "cd_index";
    default: return "label";
    }
}

std::vector<ProjectLabel> labelsOf(CMultitrackerDoc& doc)
{
    std::vector<ProjectLabel> out;
    CLabelList::Cursor cursor;
    for (ProjectLabel* l = doc.labels().first(cursor); l; l = doc.labels().next(cursor))
        out.push_back(*l);
    return out;
}

// A chain as a JSON array of {name, identity}.
std::string chainJson(const EffectChain& chain)
{
    std::string out = "[";
    for (size_t i = 0; i < chain.size(); ++i) {
        const CTransformPlugin* e = chain.at(i);
        if (i)
            out += ", ";
        out += "{\"name\": " + jsonString(e->isValid() ? e->name() : std::string()) +
               ", \"identity\": " + jsonString(e->isValid() ? e->identityText() : std::string()) +
               ", \"bypassed\": " + (e->isBypassed() ? "true" : "false") + "}";
    }
    return out + "]";
}

} // namespace

void ProjectInfo::writeJson(std::ostream& out) const
{
    CMultitrackerDoc& d = m_doc;
    std::lock_guard lock(d.lock());
    const WAVEFORMATEX& f = d.format();
    out << "{\n";
    out << "  \"format\": {\"sample_rate\": " << f.nSamplesPerSec << ", \"channels\": " << f.nChannels
        << ", \"bits_per_sample\": " << f.wBitsPerSample << "},\n";
    out << "  \"title\": " << jsonString(d.title()) << ",\n";
    out << "  \"artist\": " << jsonString(d.artist()) << ",\n";
    out << "  \"notes\": " << jsonString(d.notes()) << ",\n";
    out << "  \"project_end\": " << d.projectEnd() << ",\n";
    out << "  \"tracks\": [";
    for (int32_t i = 0; i < d.trackCount(); ++i) {
        CTrack* t = d.trackAt(i);
        std::lock_guard trackLock(t->lock());
        out << (i ? "," : "") << "\n    {\"name\": " << jsonString(t->name()) << ", \"volume\": " << number(t->volume())
            << ", \"pan\": " << number(t->pan()) << ", \"active\": " << (t->isActive() ? "true" : "false")
            << ",\n     \"clips\": [";
        const auto& clips = t->clips();
        for (size_t c = 0; c < clips.size(); ++c) {
            const CAudioClip* clip = clips[c];
            out << (c ? "," : "") << "\n       {\"file\": " << jsonString(clip->fileName())
                << ", \"start\": " << clip->start() << ", \"end\": " << clip->end() << ", \"colour\": " << clip->colour()
                << ", \"time_scale_ratio\": " << number(clip->timeScaleRatio()) << ", \"crossfade_shape\": "
                << (clip->outgoing() ? std::to_string(clip->outgoing()->shape()) : std::string("null")) << "}";
        }
        out << (clips.empty() ? "]" : "\n     ]") << ",\n     \"curves\": [";
        const auto& curves = t->curves();
        for (size_t c = 0; c < curves.size(); ++c) {
            const CCurve* curve = curves[c];
            out << (c ? ", " : "") << "{\"kind\": " << jsonString(curve->kind() == CCurve::kVolume ? "volume" : "pan")
                << ", \"points\": [";
            bool first = true;
            for (const CurvePoint* p = curve->firstPoint(); p; p = curve->pointAfter(p)) {
                out << (first ? "" : ", ") << "[" << p->position << ", " << number(p->value) << "]";
                first = false;
            }
            out << "]}";
        }
        out << "],\n     \"effects\": " << chainJson(t->effects()) << "}";
    }
    out << (d.trackCount() ? "\n  ]" : "]") << ",\n";
    out << "  \"master_effects\": " << chainJson(d.masterChain()) << ",\n";
    out << "  \"groups\": [";
    for (int32_t g = 0; g < d.groupCount(); ++g) {
        const CAssignableGroup* group = d.groupAt(g);
        out << (g ? ", " : "") << "{\"name\": " << jsonString("FX G" + std::to_string(g + 1)) << ", \"sends\": [";
        for (int32_t s = 0; s < group->sendCount(); ++s)
            out << (s ? ", " : "") << number(group->sendLevelValue(s));
        out << "], \"effects\": " << chainJson(group->chain()) << "}";
    }
    out << "],\n  \"labels\": [";
    const auto labels = labelsOf(d);
    for (size_t i = 0; i < labels.size(); ++i) {
        const ProjectLabel& l = labels[i];
        out << (i ? "," : "") << "\n    {\"kind\": " << jsonString(labelKind(l.kind)) << ", \"position\": " << l.position
            << ", \"title\": " << jsonString(l.title) << ", \"artist\": " << jsonString(l.artist)
            << ", \"pause\": " << l.pause << "}";
    }
    out << (labels.empty() ? "]" : "\n  ]") << "\n}\n";
}

void ProjectInfo::writeText(std::ostream& out) const
{
    CMultitrackerDoc& d = m_doc;
    std::lock_guard lock(d.lock());
    const WAVEFORMATEX& f = d.format();
    const double rate = f.nSamplesPerSec ? f.nSamplesPerSec : 44100;
    auto seconds = [&](int32_t samples) { return number(samples / rate) + " s"; };
    out << "Format: " << f.nSamplesPerSec << " Hz, " << f.nChannels << " channels, " << f.wBitsPerSample << " bits\n";
    out << "Title: " << displayText(d.title()) << "\nArtist: " << displayText(d.artist()) << "\n";
    out << "Project end: " << d.projectEnd() << " (" << seconds(d.projectEnd()) << ")\n";
    for (int32_t i = 0; i < d.trackCount(); ++i) {
        CTrack* t = d.trackAt(i);
        std::lock_guard trackLock(t->lock());
        out << "Track " << i << ": " << displayText(t->name()) << " (volume " << number(t->volume()) << ", pan "
            << number(t->pan()) << (t->isActive() ? "" : ", inactive") << ")\n";
        for (const CAudioClip* clip : t->clips()) {
            out << "  clip " << clip->start() << "-" << clip->end() << " " << displayText(clip->fileName());
            if (clip->timeScaleRatio() != 1.0f)
                out << " (time scale " << number(clip->timeScaleRatio()) << ")";
            if (clip->outgoing())
                out << " crossfade " << clip->outgoing()->shape();
            out << "\n";
        }
        for (const CCurve* curve : t->curves()) {
            out << "  " << (curve->kind() == CCurve::kVolume ? "volume" : "pan") << " curve:";
            for (const CurvePoint* p = curve->firstPoint(); p; p = curve->pointAfter(p))
                out << " " << p->position << "=" << number(p->value);
            out << "\n";
        }
        for (size_t e = 0; e < t->effects().size(); ++e)
            out << "  effect " << displayText(t->effects().at(e)->name()) << " ["
                << displayText(t->effects().at(e)->identityText()) << "]\n";
    }
    for (size_t e = 0; e < d.masterChain().size(); ++e)
        out << "Master effect " << displayText(d.masterChain().at(e)->name()) << " ["
            << displayText(d.masterChain().at(e)->identityText()) << "]\n";
    for (int32_t g = 0; g < d.groupCount(); ++g) {
        const CAssignableGroup* group = d.groupAt(g);
        out << "Group FX G" << g + 1 << ": sends";
        for (int32_t s = 0; s < group->sendCount(); ++s)
            out << " " << number(group->sendLevelValue(s));
        out << ", " << group->chain().size() << " effects\n";
    }
    for (const ProjectLabel& l : labelsOf(d)) {
        out << "Label " << labelKind(l.kind) << " at " << l.position << " (" << seconds(l.position) << ")";
        if (!l.title.empty())
            out << " \"" << displayText(l.title) << "\"";
        if (!l.artist.empty())
            out << " by " << displayText(l.artist);
        if (l.kind == ProjectLabel::kTrackSplit)
            out << " pause " << l.pause;
        out << "\n";
    }
}

} // namespace quillon
