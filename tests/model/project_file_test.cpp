#include "project_fixture.h"

#include "model/track_read_cursor.h"
#include "plugins/class_com.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

using namespace quillon;
using namespace quillon::test;

namespace fs = std::filesystem;

namespace {

constexpr const char* kUnexpected = ProjectFile::kUnexpectedFormat;

// The kind of archive error a stream raises when a document loads it directly.
ArchiveException::Kind kindOf(CMultitrackerDoc& doc, const std::vector<uint8_t>& bytes)
{
    MemoryStream stream(bytes);
    CArchive ar(stream, CArchive::Mode::Load);
    try {
        doc.serialize(ar);
    } catch (const ArchiveException& e) {
        return e.kind();
    }
    ADD_FAILURE() << "the stream loaded";
    return ArchiveException::Kind::Generic;
}

size_t find(const std::vector<uint8_t>& hay, const std::vector<uint8_t>& needle, size_t from = 0)
{
    auto it = std::search(hay.begin() + std::ptrdiff_t(from), hay.end(), needle.begin(), needle.end());
    return it == hay.end() ? std::string::npos : size_t(it - hay.begin());
}

uint32_t u32At(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// One file's worth of a track that holds one curve object and then a reference to
// it: the curve would be owned twice.
Bytes trackWithCurveTwice()
{
    Bytes b = documentSection();
    b.u32(1).newClass("CTrack").str("T").u32(0x3F44EC4F).f32(0.5f).i32(1).u32(0).u32(0);
    // Class CTrack is 1, the track 2, class CCurve 3, the curve 4.
    b.u32(2).newClass("CCurve").u32(0).u16(0x0004);
    b.u32(0).u32(0).add(defaultLabels().v);
    return b;
}

class ProjectFileTest : public ProjectFixture {
protected:
    // Loads `bytes` into a document that holds a project, expecting the load to fail
    // with `message` and leave the document empty.
    void expectRejected(const std::vector<uint8_t>& bytes, const std::string& message = kUnexpected)
    {
        auto target = freshDoc();
        target->onNewDocument();
        target->insertTrack(1, std::make_unique<CTrack>("Old"));
        target->addGroup();
        std::string error;
        EXPECT_FALSE(ProjectFile::loadBytes(*target, bytes.data(), bytes.size(), error));
        EXPECT_EQ(error, message);
        expectEmpty(*target);
    }
};

} // namespace

// ---- the bytes ----

TEST_F(ProjectFileTest, OneEmptyTrackIsTheDocumentSectionTheTrackAndTheLabels)
{
    newDoc(1);
    Bytes expected = documentSection();
    expected.u32(1).u16(0xFFFF).u16(1).u16(6).raw("CTrack").add(emptyTrackFields("Untitled").v);
    expected.u32(0).u32(0).add(defaultLabels().v).add(extensionBlock("", {{0, ""}}, {1}).v);
    EXPECT_EQ(ProjectFile::storeBytes(*doc), expected.v);

    // The header alone is a string of 25 characters after a one-byte length.
    EXPECT_EQ(expected.v[0], 25);
    EXPECT_EQ(std::string(expected.v.begin() + 1, expected.v.begin() + 26), "Varda Quillon Header File");

    // And those bytes open as that project.
    auto copy = freshDoc();
    std::string error;
    ASSERT_TRUE(ProjectFile::loadBytes(*copy, expected.v.data(), expected.v.size(), error)) << error;
    ASSERT_EQ(copy->trackCount(), 1);
    EXPECT_EQ(copy->trackAt(0)->name(), "Untitled");
    EXPECT_EQ(summary(*copy), summary(*doc));
}

TEST_F(ProjectFileTest, SecondTrackTakesTheClassIndexOfTheFirstWhateverItHolds)
{
    newDoc(1);
    CAudioClip* first = place(0, 0, 3000);
    place(0, 2000, 3000); // overlaps: a crossfade
    doc->trackAt(0)->addCurve(CCurve::kVolume)->addPoint(100, 0.25f);
    doc->trackAt(0)->effects().append(effect("Limiter"));
    doc->insertTrack(1, std::make_unique<CTrack>("Second"));
    const std::vector<uint8_t> bytes = ProjectFile::storeBytes(*doc);

    // The file ends with the second track: tag 0x8001 (class CTrack took index 1), its
    // fields, no master effects, no groups, the labels and the block after them.
    Bytes tail;
    tail.u16(0x8001).add(emptyTrackFields("Second").v).u32(0).u32(0).add(defaultLabels().v);
    tail.add(extensionBlock("", {{0, ""}}, {1, 1}).v);
    ASSERT_GT(bytes.size(), tail.v.size());
    EXPECT_TRUE(std::equal(tail.v.begin(), tail.v.end(), bytes.end() - std::ptrdiff_t(tail.v.size())));

    // Inside the first track: the first clip brings its class record (index 3, after
    // class CTrack 1 and the track 2), the second clip refers to that class as 0x8003.
    const size_t fields = documentSection().v.size() + 4 + 2 + 2 + 2 + 6;
    const size_t clipTag = fields + 1 + 8 + 4 + 4 + 4 + 4; // "Untitled", volume, pan, off, count
    EXPECT_EQ(u32At(bytes, clipTag - 4), 2u);
    Bytes clipClass;
    clipClass.newClass("CAudioClip");
    ASSERT_TRUE(std::equal(clipClass.v.begin(), clipClass.v.end(), bytes.begin() + std::ptrdiff_t(clipTag)));
    const size_t record = clipTag + clipClass.v.size();
    EXPECT_EQ(int32_t(u32At(bytes, record)), first->start());
    EXPECT_EQ(int32_t(u32At(bytes, record + 4)), first->end());
    const uint32_t stateSize = u32At(bytes, record + 12);
    const size_t shape = record + 20 + stateSize;
    EXPECT_EQ(int32_t(u32At(bytes, shape)), kCrossfadeLinear);
    EXPECT_EQ(bytes[shape + 4], 0x03);
    EXPECT_EQ(bytes[shape + 5], 0x80);
    // Every class record appears once in the whole file.
    for (const std::string name : {"CTrack", "CAudioClip", "CTransformPlugin", "CCurve"}) {
        const std::vector<uint8_t> n(name.begin(), name.end());
        const size_t at = find(bytes, n);
        EXPECT_NE(at, std::string::npos) << name;
        EXPECT_EQ(find(bytes, n, at + 1), std::string::npos) << name;
    }

    auto copy = freshDoc();
    std::string error;
    ASSERT_TRUE(ProjectFile::loadBytes(*copy, bytes.data(), bytes.size(), error)) << error;
    EXPECT_EQ(summary(*copy), summary(*doc));
}

// ---- round trips ----

TEST_F(ProjectFileTest, RichProjectComesBackAndSavesByteForByte)
{
    buildRichProject();
    const std::string path = tmp.file("rich.vpf");
    std::string error;
    ASSERT_TRUE(ProjectFile::save(*doc, path, error)) << error;
    EXPECT_FALSE(doc->isModified());
    const std::vector<uint8_t> saved = fileBytes(path);
    EXPECT_EQ(saved, ProjectFile::storeBytes(*doc));

    auto copy = freshDoc();
    copy->setModified(true);
    ASSERT_TRUE(ProjectFile::load(*copy, path, error)) << error;
    EXPECT_FALSE(copy->isModified());
    EXPECT_EQ(summary(*copy), summary(*doc));

    const std::string again = tmp.file("again.vpf");
    ASSERT_TRUE(ProjectFile::save(*copy, again, error)) << error;
    EXPECT_EQ(fileBytes(again), saved);

    // What the file gives back beyond the summary's words.
    CTrack* strings = copy->trackAt(0);
    ASSERT_EQ(strings->clips().size(), 4u);
    for (size_t i = 0; i + 1 < 4; ++i) {
        ASSERT_NE(strings->clips()[i]->outgoing(), nullptr);
        EXPECT_EQ(strings->clips()[i]->outgoing()->shape(), int32_t(i) + 1 == 4 ? 0 : int32_t(i) + 1);
        EXPECT_EQ(strings->clips()[i + 1]->incoming(), strings->clips()[i]->outgoing());
    }
    CAudioClip* stretched = copy->trackAt(1)->clips().back();
    EXPECT_NEAR(stretched->timeScaleRatio(), 1.5f, 1e-6);
    EXPECT_EQ(stretched->position(), SampleRange(100000, 130000));
    EXPECT_EQ(copy->notes(), "Takes from the second session \u2211");
    // The split comes back with its texts and, from the block after the labels, its pause.
    CLabelList::Cursor c;
    int splits = 0;
    for (const ProjectLabel* l = copy->labels().first(c); l; l = copy->labels().next(c)) {
        if (l->kind == ProjectLabel::kTrackSplit && l->position == 45000) {
            ++splits;
            EXPECT_EQ(l->title, "Second Song");
            EXPECT_EQ(l->artist, "Ensemble");
            EXPECT_EQ(l->pause, 4410);
        }
    }
    EXPECT_EQ(splits, 1);
}

TEST_F(ProjectFileTest, CrossfadeOfAClipAtAnotherRateAfterAGapSurvives)
{
    // The clip at 22050 Hz has no neighbour before it but overlaps the next one: while
    // the track is read its filter still counts source frames, half as many.
    newDoc(1);
    placeFile(0, 0, writeFile("lead.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, 5000, 0.5f));
    CAudioClip* low = placeFile(0, 10000, writeFile("low.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 2, 4410, 0.5f));
    placeFile(0, 17000, writeFile("tail.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, 5000, 0.5f));
    ASSERT_EQ(low->end(), 18820);
    ASSERT_NE(low->outgoing(), nullptr);
    low->outgoing()->setShape(3);
    const std::vector<uint8_t> bytes = ProjectFile::storeBytes(*doc);

    auto copy = freshDoc();
    std::string error;
    ASSERT_TRUE(ProjectFile::loadBytes(*copy, bytes.data(), bytes.size(), error)) << error;
    EXPECT_EQ(summary(*copy), summary(*doc));
    CAudioClip* loaded = copy->trackAt(0)->clips()[1];
    EXPECT_EQ(loaded->position(), SampleRange(10000, 18820));
    ASSERT_NE(loaded->outgoing(), nullptr);
    EXPECT_EQ(loaded->outgoing()->shape(), 3);
    EXPECT_EQ(ProjectFile::storeBytes(*copy), bytes);
}

TEST_F(ProjectFileTest, LoadedEffectsRunAtTheProjectRate)
{
    newDoc(1);
    WAVEFORMATEX f = doc->format();
    f.nSamplesPerSec = 48000;
    doc->setFormat(f);
    auto delay = [&] {
        auto d = effect("Stereo Delay");
        d->setParameter(0, 100.0f); // left time, ms
        d->setParameter(2, 0.0f);   // no feedback
        d->setParameter(4, 1.0e6f); // no high cut
        d->setParameter(5, 100.0f); // echo level
        return d;
    };
    doc->trackAt(0)->effects().append(delay());
    doc->masterChain().append(delay());
    doc->addGroup()->chain().append(delay());
    const std::vector<uint8_t> bytes = ProjectFile::storeBytes(*doc);

    auto copy = freshDoc();
    std::string error;
    ASSERT_TRUE(ProjectFile::loadBytes(*copy, bytes.data(), bytes.size(), error)) << error;
    // The effects were created at 44100 Hz; the echo 100 ms after an impulse lies at
    // frame 4800 only if the load gave them the project's 48000 Hz.
    auto echoAt = [](CTransformPlugin* fx) {
        std::vector<float> block(2 * 10000, 0.0f);
        block[0] = 1.0f;
        fx->process(block.data(), 10000, 2, 10000);
        for (int i = 1; i < 10000; ++i)
            if (block[size_t(i) * 2] != 0.0f)
                return i;
        return -1;
    };
    EXPECT_EQ(echoAt(copy->trackAt(0)->effects().at(0)), 4800);
    EXPECT_EQ(echoAt(copy->masterChain().at(0)), 4800);
    EXPECT_EQ(echoAt(copy->groupAt(0)->chain().at(0)), 4800);
    // The meters have a peak slot per loaded track.
    copy->setTrackPeaks(0, 0.5f, 0.25f);
    EXPECT_EQ(copy->trackPeakLeft(0), 0.5f);
    EXPECT_EQ(copy->trackPeakRight(0), 0.25f);
}

// ---- channel counts ----

TEST_F(ProjectFileTest, ProjectsOfOtherWidthsOpenAsStereo)
{
    for (uint16_t channels : {uint16_t(1), uint16_t(6)}) {
        SCOPED_TRACE(channels);
        newDoc(1);
        WAVEFORMATEX f = doc->format();
        f.nChannels = channels;
        f.nBlockAlign = uint16_t(channels * 2);
        doc->setFormat(f);
        const std::string source =
            writeFile("src" + std::to_string(channels) + ".wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, channels,
                      1000, 0.25f);
        placeFile(0, 0, source);
        const std::vector<uint8_t> bytes = ProjectFile::storeBytes(*doc);
        ASSERT_EQ(bytes[26 + 12 + 3 + 2], channels); // the stored format's channel count

        auto copy = freshDoc();
        std::string error;
        ASSERT_TRUE(ProjectFile::loadBytes(*copy, bytes.data(), bytes.size(), error)) << error;
        EXPECT_EQ(copy->format().nChannels, 2);
        EXPECT_EQ(copy->format().nBlockAlign, 4);
        EXPECT_EQ(copy->format().nAvgBytesPerSec, 44100u * 4);
        EXPECT_EQ(copy->format().nSamplesPerSec, 44100u);
        CTrack* t = copy->trackAt(0);
        EXPECT_EQ(t->channels(), 2);
        EXPECT_EQ(t->clips()[0]->outputFormat().nChannels, 2);
        // The filter turns the source into two channels.
        TrackReadCursor* cursor = t->createReadCursor();
        std::vector<float> frames(2 * 500);
        t->read(cursor, frames.data(), 500);
        t->releaseReadCursor(cursor);
        EXPECT_NE(frames[200], 0.0f);
        for (size_t i = 0; i < 500; ++i)
            EXPECT_FLOAT_EQ(frames[2 * i], frames[2 * i + 1]) << i;
        // Saved again, the project is a stereo one.
        const std::vector<uint8_t> resaved = ProjectFile::storeBytes(*copy);
        EXPECT_EQ(resaved[26 + 12 + 3 + 2], 2);
    }
}

// ---- rejection ----

TEST_F(ProjectFileTest, HeaderMustMatchByteForByte)
{
    for (const std::string header : {"Varda Quillon Header File!", "Varda Quillon Header Fil",
                                     "varda quillon header file", "Varda Quillon header File", ""}) {
        SCOPED_TRACE(header);
        Bytes b = documentSection(header);
        b.u32(0).u32(0).u32(0).add(defaultLabels().v);
        auto probe = freshDoc();
        EXPECT_EQ(kindOf(*probe, b.v), ArchiveException::Kind::BadSchema);
        expectRejected(b.v);
    }
    Bytes good = documentSection();
    good.u32(0).u32(0).u32(0).add(defaultLabels().v);
    auto probe = freshDoc();
    std::string error;
    EXPECT_TRUE(ProjectFile::loadBytes(*probe, good.v.data(), good.v.size(), error)) << error;
}

TEST_F(ProjectFileTest, EveryArchiveErrorKindIsAnUnexpectedFormat)
{
    using Kind = ArchiveException::Kind;
    auto withTrack = [](const Bytes& reference) {
        Bytes b = documentSection();
        b.u32(1).add(reference.v).u32(0).u32(0).add(defaultLabels().v);
        return b.v;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        Kind kind;
    };
    Bytes schema2, unknown, curveForTrack, noObject, noClass, twice, negative;
    schema2.newClass("CTrack", 2).add(emptyTrackFields("T").v);
    unknown.newClass("CTrackX").add(emptyTrackFields("T").v);
    curveForTrack.newClass("CCurve").u32(0);
    noObject.u16(0x0005);
    noClass.u16(0x8003).add(emptyTrackFields("T").v);
    Bytes refersBack = documentSection();
    refersBack.u32(2).newClass("CTrack").add(emptyTrackFields("T").v).u16(0x0002).u32(0).u32(0).add(defaultLabels().v);
    Bytes negativeCount = documentSection();
    negativeCount.i32(-1).u32(0).u32(0).add(defaultLabels().v);
    const std::vector<Case> cases = {
        {"schema 2", withTrack(schema2), Kind::BadSchema},
        {"unknown class", withTrack(unknown), Kind::BadClass},
        {"a curve where a track belongs", withTrack(curveForTrack), Kind::BadClass},
        {"an object index never given", withTrack(noObject), Kind::BadIndex},
        {"a class index never given", withTrack(noClass), Kind::BadIndex},
        {"the first track again", refersBack.v, Kind::BadIndex},
        {"a curve owned twice", trackWithCurveTwice().v, Kind::BadIndex},
        {"a negative track count", negativeCount.v, Kind::Generic},
        {"no sample rate", [] {
             Bytes b = documentSection(CMultitrackerDoc::kHeaderText, 2, 0);
             b.u32(0).u32(0).u32(0).add(defaultLabels().v);
             return b.v;
         }(),
         Kind::Generic},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto probe = freshDoc();
        EXPECT_EQ(kindOf(*probe, c.bytes), c.kind);
        expectRejected(c.bytes);
    }
}

TEST_F(ProjectFileTest, EveryTruncationIsAnEndOfFile)
{
    // A project without clips, so that every prefix loads quickly.
    newDoc(2);
    doc->trackAt(0)->addCurve(CCurve::kPan)->addPoint(500, 0.75f);
    doc->trackAt(1)->effects().append(effect("Compressor"));
    doc->addGroup()->setSendLevel(1, 0.5f);
    doc->masterChain().append(effect("Limiter"));
    doc->labels().add(900, ProjectLabel::kFreeLabel, "Here");
    const std::vector<uint8_t> bytes = ProjectFile::storeBytes(*doc);
    // Up to the end of the label list; the block after it is optional.
    const size_t labelsEnd = find(bytes, {'V', 'Q', 'X', 'B'});
    ASSERT_NE(labelsEnd, std::string::npos);
    auto target = freshDoc();
    for (size_t n = 0; n < labelsEnd; ++n) {
        const std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + std::ptrdiff_t(n));
        MemoryStream stream(prefix);
        CArchive ar(stream, CArchive::Mode::Load);
        try {
            target->serialize(ar);
            ADD_FAILURE() << "a prefix of " << n << " bytes loaded";
        } catch (const ArchiveException& e) {
            EXPECT_EQ(e.kind(), ArchiveException::Kind::EndOfFile) << n;
        }
        std::string error;
        EXPECT_FALSE(ProjectFile::loadBytes(*target, prefix.data(), prefix.size(), error));
        EXPECT_EQ(error, kUnexpected) << n;
        expectEmpty(*target);
    }
    std::string error;
    EXPECT_TRUE(ProjectFile::loadBytes(*target, bytes.data(), bytes.size(), error)) << error;
    EXPECT_EQ(summary(*target), summary(*doc));
}

TEST_F(ProjectFileTest, MissingSourceFileIsNamed)
{
    newDoc(1);
    const std::string source = writeFile("gone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 2000, 0.5f);
    placeFile(0, 0, source);
    place(0, 5000, 1000);
    const std::string path = tmp.file("p.vpf");
    std::string error;
    ASSERT_TRUE(ProjectFile::save(*doc, path, error)) << error;
    fs::remove(source);

    auto target = freshDoc();
    target->onNewDocument();
    EXPECT_FALSE(ProjectFile::load(*target, path, error));
    EXPECT_EQ(error, std::string(kUnexpected) + "\nThe audio file \"" + source + "\" cannot be opened.");
    expectEmpty(*target);
}

TEST_F(ProjectFileTest, MissingEffectIsNamed)
{
    newDoc(1);
    doc->masterChain().append(effect("Limiter"));
    std::vector<uint8_t> bytes = ProjectFile::storeBytes(*doc);
    // The effect's identity words, replaced by ones no server knows.
    const QuillonIdentifier id = fx.entry("Limiter").identity;
    const std::vector<uint8_t> idBytes(reinterpret_cast<const uint8_t*>(id.words),
                                       reinterpret_cast<const uint8_t*>(id.words) + 16);
    const size_t at = find(bytes, idBytes);
    ASSERT_NE(at, std::string::npos);
    Bytes unknown;
    unknown.u32(0xDEADBEEF).u32(1).u32(0).u32(0xABC);
    std::copy(unknown.v.begin(), unknown.v.end(), bytes.begin() + std::ptrdiff_t(at));
    expectRejected(bytes, std::string(kUnexpected) + "\nThe effect deadbeef-1-0-abc is not installed.");

    // Without any effect catalogue the effect is just as missing.
    const std::vector<uint8_t> original = ProjectFile::storeBytes(*doc);
    EffectCatalog::setCurrent(nullptr);
    expectRejected(original, std::string(kUnexpected) + "\nThe effect " + identityText(id) + " is not installed.");
    EffectCatalog::setCurrent(&fx.catalog);
}

TEST(ProjectFileRefusal, PlugInRefusingTheProjectFormatFailsTheLoad)
{
    EffectTestHost fx(true);
    MemorySettingsStore settings;
    RecordingPrompter prompter;
    CMultitrackerDoc doc(settings, prompter);
    doc.onNewDocument();
    doc.masterChain().append(std::make_unique<CTransformPlugin>(fx.catalog.create(fx.entry("Failing Effect"))));
    const std::vector<uint8_t> bytes = ProjectFile::storeBytes(doc);
    std::string error;
    {
        ScopedEnv refuse("QUILLON_FAKE_REFUSE_FORMAT", "1");
        EXPECT_FALSE(ProjectFile::loadBytes(doc, bytes.data(), bytes.size(), error));
        EXPECT_EQ(error, kUnexpected);
        expectEmpty(doc);
    }
    EXPECT_TRUE(ProjectFile::loadBytes(doc, bytes.data(), bytes.size(), error)) << error;
    EXPECT_EQ(doc.masterChain().size(), 1u);
}

TEST_F(ProjectFileTest, ObjectsOwnedTwiceAreRefused)
{
    // A clip referred to again in the same track and in the next one.
    newDoc(2);
    place(0, 0, 1000);
    doc->trackAt(1)->setName("B");
    place(1, 0, 1000);
    const std::vector<uint8_t> bytes = ProjectFile::storeBytes(*doc);
    Bytes secondTrack;
    secondTrack.u16(0x8001).str("B");
    const size_t track = find(bytes, secondTrack.v);
    ASSERT_NE(track, std::string::npos);
    const size_t clip = track + secondTrack.v.size() + 12 + 4;
    ASSERT_EQ(bytes[clip], 0x03);
    ASSERT_EQ(bytes[clip + 1], 0x80);
    const size_t recordEnd = clip + 2 + 20 + u32At(bytes, clip + 2 + 12);
    // Class CTrack 1, the first track 2, class CAudioClip 3, its clip 4.
    std::vector<uint8_t> shared(bytes.begin(), bytes.begin() + std::ptrdiff_t(clip));
    shared.push_back(0x04);
    shared.push_back(0x00);
    shared.insert(shared.end(), bytes.begin() + std::ptrdiff_t(recordEnd), bytes.end());
    expectRejected(shared);

    // Up to and with the second track's clip and its crossfade shape.
    std::vector<uint8_t> twiceInOne(bytes.begin(), bytes.begin() + std::ptrdiff_t(recordEnd) + 4);
    twiceInOne[clip - 4] = 2; // two clips: the track's own and its own again
    Bytes again;
    again.u16(0x0006).i32(-1); // class CTrack 1, track 2, clip class 3, clip 4, track 5, clip 6
    twiceInOne.insert(twiceInOne.end(), again.v.begin(), again.v.end());
    twiceInOne.insert(twiceInOne.end(), bytes.begin() + std::ptrdiff_t(recordEnd) + 4, bytes.end());
    expectRejected(twiceInOne);

    // A curve of one track referred to from the next.
    Bytes curves = documentSection();
    curves.u32(2).newClass("CTrack").str("A").u32(0x3F44EC4F).f32(0.5f).i32(1).u32(0).u32(0);
    curves.u32(1).newClass("CCurve").u32(0);
    curves.u16(0x8001).str("B").u32(0x3F44EC4F).f32(0.5f).i32(1).u32(0).u32(0).u32(1).u16(0x0004);
    curves.u32(0).u32(0).add(defaultLabels().v);
    expectRejected(curves.v);
}

TEST_F(ProjectFileTest, UnreadableFileLeavesTheDocumentAlone)
{
    newDoc(2);
    std::string error;
    const std::string missing = tmp.file("nowhere.vpf");
    EXPECT_FALSE(ProjectFile::load(*doc, missing, error));
    EXPECT_EQ(error, "Cannot open \"" + missing + "\": " + std::strerror(ENOENT));
    EXPECT_EQ(doc->trackCount(), 2);
    EXPECT_FALSE(ProjectFile::load(*doc, tmp.path().string(), error));
    EXPECT_EQ(error, "Cannot open \"" + tmp.path().string() + "\": " + std::strerror(EISDIR));
    EXPECT_EQ(doc->trackCount(), 2);
}

// ---- saving ----

TEST_F(ProjectFileTest, SaveThatFailsHalfWayKeepsThePreviousFile)
{
    buildRichProject();
    const fs::path folder = tmp.path() / "projects";
    fs::create_directory(folder);
    const std::string path = (folder / "song.vpf").string();
    std::string error;
    ASSERT_TRUE(ProjectFile::save(*doc, path, error)) << error;
    const std::vector<uint8_t> before = fileBytes(path);

    doc->insertTrack(0, std::make_unique<CTrack>("Late"));
    ASSERT_TRUE(doc->isModified());
    const size_t total = ProjectFile::storeBytes(*doc).size();
    size_t written = 0;
    int calls = 0;
    // A disk that fills up after half the project.
    auto fullDisk = [&](int fd, const void* data, size_t size) -> ssize_t {
        ++calls;
        if (written >= total / 2) {
            errno = ENOSPC;
            return -1;
        }
        const ssize_t n = ::write(fd, data, std::min(size, total / 2 - written));
        if (n > 0)
            written += size_t(n);
        return n;
    };
    EXPECT_FALSE(ProjectFile::save(*doc, path, error, fullDisk));
    EXPECT_EQ(error, "Cannot save \"" + path + "\": " + std::strerror(ENOSPC));
    EXPECT_EQ(written, total / 2);
    EXPECT_GE(calls, 2);
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_TRUE(doc->isModified());
    // No half-written file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    // A writer that takes a byte at a time, interrupted now and then, still saves all.
    int n = 0;
    auto trickle = [&](int fd, const void* data, size_t) -> ssize_t {
        if (++n % 50 == 0) {
            errno = EINTR;
            return -1;
        }
        return ::write(fd, data, 1);
    };
    ASSERT_TRUE(ProjectFile::save(*doc, path, error, trickle)) << error;
    EXPECT_EQ(fileBytes(path), ProjectFile::storeBytes(*doc));
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST(ProjectFileWrite, FileSizeLimitOfTheSystemFailsTheSaveAndKeepsTheOldFile)
{
    TempDir tmp;
    const std::string path = tmp.file("limited.vpf");
    const std::vector<uint8_t> old(3000, 0x11);
    std::string error;
    ASSERT_TRUE(ProjectFile::writeFile(path, old, error)) << error;
    const std::vector<uint8_t> large(200000, 0x22);
    const std::string expected = "Cannot save \"" + path + "\": " + std::strerror(EFBIG);
    // The limit applies to the whole process: a child takes it.
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            65536, 65536
        };
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string childError;
        const bool saved = ProjectFile::writeFile(path, large, childError);
        _exit(saved ? 1 : childError == expected ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: saved past the limit, 2: another message";
    EXPECT_EQ(fileBytes(path), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.path()), fs::directory_iterator()), 1);
}

TEST(ProjectFileWrite, ReplacesTheTargetOfALinkAndKeepsItsPermissions)
{
    TempDir tmp;
    const std::string real = tmp.file("real.vpf");
    const std::string link = tmp.file("link.vpf");
    std::string error;
    ASSERT_TRUE(ProjectFile::writeFile(real, {1, 2, 3}, error)) << error;
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    fs::create_symlink(real, link);
    ASSERT_TRUE(ProjectFile::writeFile(link, {4, 5, 6, 7}, error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fileBytes(real), (std::vector<uint8_t>{4, 5, 6, 7}));
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const std::string nowhere = tmp.file("missing/folder.vpf");
    EXPECT_FALSE(ProjectFile::writeFile(nowhere, {1}, error));
    EXPECT_EQ(error, "Cannot save \"" + nowhere + "\": " + std::strerror(ENOENT));
}

// ---- inputs the fuzzer keeps ----

TEST_F(ProjectFileTest, FuzzCorpusAndRegressionsLoadOrFailCleanly)
{
    const fs::path fuzz = fs::path(QUILLON_SOURCE_DIR) / "fuzz";
    size_t inputs = 0, loaded = 0;
    for (const char* dir : {"corpus", "regressions"}) {
        if (!fs::is_directory(fuzz / dir))
            continue;
        for (const auto& entry : fs::directory_iterator(fuzz / dir)) {
            if (!entry.is_regular_file())
                continue;
            SCOPED_TRACE(entry.path().string());
            ++inputs;
            const std::vector<uint8_t> bytes = fileBytes(entry.path().string());
            auto target = freshDoc();
            std::string error;
            if (!ProjectFile::loadBytes(*target, bytes.data(), bytes.size(), error)) {
                EXPECT_EQ(error.rfind(kUnexpected, 0), 0u) << error;
                expectEmpty(*target);
                continue;
            }
            // What loads once is a project: stored and loaded again it stays the same.
            ++loaded;
            const std::vector<uint8_t> stored = ProjectFile::storeBytes(*target);
            auto again = freshDoc();
            ASSERT_TRUE(ProjectFile::loadBytes(*again, stored.data(), stored.size(), error)) << error;
            EXPECT_EQ(ProjectFile::storeBytes(*again), stored);
        }
    }
    EXPECT_GT(inputs, 0u);
    EXPECT_GT(loaded, 0u);
}
