#pragma once
// Projects for the file and undo tests: a document over the shipped file filter and
// effects server, a builder of rich projects from generated audio, a readable summary
// of everything a project file keeps, and a little-endian byte builder for hand-made
// files.

#include "base/archive.h"
#include "base/memory_stream.h"
#include "doc_fixture.h"
#include "effect_test_host.h"
#include "model/assignable_group.h"
#include "model/curve.h"
#include "model/curve_point.h"
#include "model/project_file.h"
#include "model/project_label.h"
#include "model/transform_plugin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace quillon::test {

// Little-endian fields as a project file holds them.
struct Bytes {
    std::vector<uint8_t> v;

    Bytes& u8(uint8_t x)
    {
        v.push_back(x);
        return *this;
    }
    Bytes& u16(uint16_t x) { return u8(uint8_t(x & 0xFF)).u8(uint8_t(x >> 8)); }
    Bytes& u32(uint32_t x) { return u16(uint16_t(x & 0xFFFF)).u16(uint16_t(x >> 16)); }
    Bytes& i32(int32_t x) { return u32(static_cast<uint32_t>(x)); }
    Bytes& f32(float f)
    {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        return u32(bits);
    }
    // A short string: one length byte, the characters.
    Bytes& str(const std::string& s)
    {
        u8(static_cast<uint8_t>(s.size()));
        return raw(s);
    }
    Bytes& raw(const std::string& s)
    {
        v.insert(v.end(), s.begin(), s.end());
        return *this;
    }
    Bytes& add(const std::vector<uint8_t>& more)
    {
        v.insert(v.end(), more.begin(), more.end());
        return *this;
    }
    // A new class record: tag 0xFFFF, schema, name length, name.
    Bytes& newClass(const std::string& name, uint16_t schema = 1)
    {
        return u16(0xFFFF).u16(schema).u16(static_cast<uint16_t>(name.size())).raw(name);
    }
};

// The document section up to the track count of a new project (cursor, current and
// first visible track 0, no texts, 44100 Hz stereo 16-bit).
inline Bytes documentSection(const std::string& header = CMultitrackerDoc::kHeaderText, uint16_t channels = 2,
                             uint32_t rate = 44100)
{
    Bytes b;
    b.str(header).u32(0).u32(0).u32(0).str("").str("").str("");
    b.u16(0).u16(channels).u32(rate).u32(0).u16(uint16_t(channels * 2)).u16(16).u16(0);
    return b;
}

// The fields of a track without clips, effects or curves at its defaults.
inline Bytes emptyTrackFields(const std::string& name)
{
    Bytes b;
    // Volume 40/52 (0 dB), pan centre, playback off.
    b.str(name).u32(0x3F44EC4F).f32(0.5f).i32(1).u32(0).u32(0).u32(0);
    return b;
}

// The label list of a new project: one CD track split at 0 without texts.
inline Bytes defaultLabels()
{
    Bytes b;
    b.u32(1).i32(0).i32(0).str("").str("");
    return b;
}

// The block after the label list: the catalogue number, each label's pause and ISRC,
// each track's active flag, whether the CD tracks are automatic.
inline Bytes extensionBlock(const std::string& catalog, const std::vector<std::pair<int32_t, std::string>>& labels,
                            const std::vector<uint8_t>& active, uint8_t autoCdTracks = 0)
{
    Bytes payload;
    payload.str(catalog).u32(uint32_t(labels.size()));
    for (const auto& [pause, isrc] : labels)
        payload.i32(pause).str(isrc);
    payload.u32(uint32_t(active.size()));
    for (uint8_t a : active)
        payload.u8(a);
    payload.u8(autoCdTracks);
    Bytes b;
    b.raw("VQXB").u16(1).u32(uint32_t(payload.v.size())).add(payload.v);
    return b;
}

inline std::vector<uint8_t> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class ProjectFixture : public DocFixture {
protected:
    ProjectFixture() { settings.writeProfileInt("General", "AutoTracks", 0); }
    // The effects of the document come from the effects server, which goes with `fx`.
    ~ProjectFixture() override { doc.reset(); }

    std::unique_ptr<CMultitrackerDoc> freshDoc() { return std::make_unique<CMultitrackerDoc>(settings, prompter); }

    std::unique_ptr<CTransformPlugin> effect(const std::string& name)
    {
        return std::make_unique<CTransformPlugin>(fx.catalog.create(fx.entry(name)));
    }

    std::string writeFile(const std::string& name, int format, int rate, int channels, int frames, float value)
    {
        const std::string path = tmp.file(name);
        std::vector<float> data(size_t(frames) * size_t(channels));
        // Every channel of a frame holds the same value.
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = value * (1.0f - float(i / size_t(channels) % 97) / 194.0f);
        EXPECT_TRUE(writeAudio(path, format, rate, channels, data)) << path;
        return path;
    }

    CAudioClip* placeFile(int track, int start, const std::string& path)
    {
        auto clip = std::make_unique<CAudioClip>(&doc->format());
        EXPECT_TRUE(clip->openFile(start, path)) << path;
        return doc->addClipToTrack(track, std::move(clip), false);
    }

    // Three tracks of overlapping clips in four formats joined by every crossfade shape,
    // a stretched clip, volume and pan curves, effects with changed state on a track, on
    // the master and in a group, two groups with sends, and all three label kinds.
    void buildRichProject()
    {
        newDoc(3);
        const std::string floatWav = writeFile("float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, 30000, 0.5f);
        const std::string monoWav = writeFile("mono48k.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1, 24000, 0.4f);
        const std::string flac = writeFile("low.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 2, 11025, 0.3f);
        const std::string wav24 = writeFile("deep.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 44100, 2, 20000, 0.6f);

        doc->setTitle("Harbour Lights");
        doc->setArtist("Ensemble Øresund");
        doc->setNotes("Takes from the second session \u2211"); // not in the code page: stored wide

        CTrack* t0 = doc->trackAt(0);
        t0->setName("Strings");
        t0->setVolume(0.6f);
        t0->setPan(0.3f);
        CAudioClip* a = placeFile(0, 0, floatWav);
        CAudioClip* b = placeFile(0, 25000, monoWav);
        CAudioClip* c = placeFile(0, 45000, flac);
        CAudioClip* d = placeFile(0, 60000, wav24);
        a->outgoing()->setShape(1);
        b->outgoing()->setShape(2);
        c->outgoing()->setShape(3);
        d->setColour(0x00336699);
        CCurve* volume = t0->addCurve(CCurve::kVolume);
        volume->addPoint(10000, 0.5f);
        volume->addPoint(40000, 0.8f);
        auto gain = effect("Gain and Balance");
        gain->setParameter(0, 6.0f);
        t0->effects().append(std::move(gain));

        CTrack* t1 = doc->trackAt(1);
        t1->setName("Voice");
        t1->setPlaybackOff(0);
        CAudioClip* e = placeFile(1, 1000, floatWav);
        placeFile(1, 21000, floatWav);
        e->outgoing()->setShape(4);
        // A clip stretched to one and a half times its source.
        auto stretched = std::make_unique<CAudioClip>(&doc->format());
        EXPECT_TRUE(stretched->openFile(100000, wav24));
        stretched->setTimeScaleRatio(1.5f);
        stretched->setPosition({100000, 100000 + 30000});
        doc->addClipToTrack(1, std::move(stretched), false);
        CCurve* pan = t1->addCurve(CCurve::kPan);
        pan->addPoint(30000, 0.1f);
        pan->addPoint(30000, 0.9f);

        doc->trackAt(2)->setName("Room");
        placeFile(2, 5000, flac);

        auto eq = effect("Parametric Equaliser");
        eq->setParameter(3, 7.5f);
        eq->setParameter(5, 1234.0f);
        {
            std::lock_guard guard(doc->lock());
            doc->masterChain().append(std::move(eq));
        }
        CAssignableGroup* g0 = doc->addGroup();
        auto reverb = effect("Reverb");
        reverb->setParameter(0, 70.0f);
        g0->chain().append(std::move(reverb));
        g0->setSendLevel(0, 0.5f);
        g0->setSendLevel(2, 0.9f);
        doc->addGroup()->setSendLevel(1, 0.25f);

        doc->labels().add(45000, ProjectLabel::kTrackSplit, "Second Song", "Ensemble", 4410);
        doc->labels().add(60000, ProjectLabel::kIndex);
        doc->labels().add(70000, ProjectLabel::kFreeLabel, "Breath here");
        doc->setCursor(4410);
        doc->setCurrentTrack(1);
        doc->setFirstVisibleTrack(1);
    }

    EffectTestHost fx;
};

// Everything a project file keeps, as text, so that two documents can be compared and
// a difference shows where it is. Label pauses are left out (the file does not keep
// them) unless asked for.
inline std::string summary(CMultitrackerDoc& doc, bool pauses = false)
{
    std::ostringstream s;
    auto effects = [&](const EffectChain& chain) {
        for (const auto& fx : chain.effects()) {
            s << "  effect " << fx->name() << ":";
            for (uint32_t i = 0; i < fx->parameterCount(); ++i)
                s << ' ' << fx->parameter(i);
            s << '\n';
        }
    };
    const WAVEFORMATEX& f = doc.format();
    s << "title " << doc.title() << " / " << doc.artist() << " / " << doc.notes() << '\n';
    s << "cursor " << doc.cursor() << " current " << doc.currentTrack() << " first " << doc.firstVisibleTrack()
      << '\n';
    s << "format " << f.wFormatTag << ' ' << f.nChannels << ' ' << f.nSamplesPerSec << ' ' << f.nAvgBytesPerSec << ' '
      << f.nBlockAlign << ' ' << f.wBitsPerSample << ' ' << f.cbSize << '\n';
    for (int32_t i = 0; i < doc.trackCount(); ++i) {
        CTrack* t = doc.trackAt(i);
        s << "track " << t->name() << " vol " << t->volume() << " pan " << t->pan() << " off " << t->playbackOff()
          << '\n';
        for (const CAudioClip* c : t->clips()) {
            s << "  clip " << c->start() << '-' << c->end() << " ratio " << c->timeScaleRatio() << " colour "
              << c->colour() << " file " << c->fileName() << " fade "
              << (c->outgoing() ? c->outgoing()->shape() : -1) << " in " << (c->incoming() != nullptr) << '\n';
        }
        for (const CCurve* c : t->curves()) {
            s << "  curve " << c->kind() << ':';
            for (const CurvePoint* p = c->firstPoint(); p; p = c->pointAfter(p))
                s << ' ' << p->position << '=' << p->value;
            s << '\n';
        }
        effects(t->effects());
    }
    s << "master\n";
    effects(doc.masterChain());
    for (int32_t g = 0; g < doc.groupCount(); ++g) {
        const CAssignableGroup* group = doc.groupAt(g);
        s << "group";
        for (int32_t i = 0; i < group->sendCount(); ++i)
            s << ' ' << group->sendLevelValue(i);
        s << '\n';
        effects(group->chain());
    }
    CLabelList::Cursor cursor;
    for (const ProjectLabel* l = doc.labels().first(cursor); l; l = doc.labels().next(cursor)) {
        s << "label " << l->kind << ' ' << l->position << ' ' << l->title << " / " << l->artist;
        if (pauses)
            s << " pause " << l->pause;
        s << '\n';
    }
    return s.str();
}

// A document after a failed load: no tracks, effects or groups, and the label list of
// a new project.
inline void expectEmpty(CMultitrackerDoc& doc)
{
    EXPECT_EQ(doc.trackCount(), 0);
    EXPECT_EQ(doc.groupCount(), 0);
    EXPECT_TRUE(doc.masterChain().empty());
    ASSERT_EQ(doc.labels().count(), 1);
    CLabelList::Cursor cursor;
    const ProjectLabel* l = doc.labels().first(cursor);
    EXPECT_EQ(l->kind, ProjectLabel::kTrackSplit);
    EXPECT_EQ(l->position, 0);
}

} // namespace quillon::test
