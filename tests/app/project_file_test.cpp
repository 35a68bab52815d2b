// Project files written and read through the document, and the demo compilation.

#include "app/app_fixture.h"
#include "app/demo_project.h"
#include "engine/renderer.h"
#include "engine/sample_block.h"
#include "engine/sample_sink.h"
#include "model/audio_clip.h"
#include "model/crossfade.h"
#include "model/curve.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/project_file.h"
#include "model/project_label.h"
#include "model/track.h"
#include "plugins/plugin_host.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstdlib>
#include <atomic>
#include <fstream>
#include <iterator>
#include <memory>

namespace quillon::test {
namespace {

// Counts the samples of the mix at or above full scale, which a file of integers clips.
class ClipCounter : public SampleSink {
public:
    bool acceptBlock(const SampleBlock& block) override
    {
        const float* s = block.data();
        for (size_t i = 0, n = size_t(block.frameCount()) * block.channels(); i < n; ++i) {
            clipped += std::fabs(s[i]) >= 1.0f;
            peak = std::max(peak, std::fabs(s[i]));
        }
        m_frames += block.frameCount();
        return true;
    }
    int64_t framesDone() const override { return m_frames.load(); }
    int64_t framesDelivered() const override { return m_frames.load(); }

    int64_t clipped = 0;
    float peak = 0.0f;

private:
    std::atomic<int64_t> m_frames{0};
};

class ProjectFileTest : public AppFixture {
protected:
    // The demo's pieces take longer to synthesise than the tests take to run: once for
    // the suite, into a data folder its tests share.
    static void SetUpTestSuite()
    {
        s_shared = std::make_unique<TempDir>();
        QString error;
        ASSERT_TRUE(DemoProject::writeAudio(demoAudio(), error)) << error.toStdString();
    }
    static void TearDownTestSuite() { s_shared.reset(); }
    // Where ensure() looks for the demo, and the audio folder inside it.
    static QString sharedData() { return QString::fromStdString((s_shared->path() / "data").string()); }
    static QString demoAudio() { return sharedData() + QStringLiteral("/Demo"); }

    ProjectFileTest()
    {
        const char* dir = std::getenv("QUILLON_SERVER_DIR");
        EXPECT_TRUE(host.addServerLibrary(std::string(dir ? dir : "") + "/filefilter.so"));
        PluginHost::setCurrent(&host);
        settings.writeProfileInt("General", "StartupTracks", 1);
    }
    ~ProjectFileTest() override { PluginHost::setCurrent(nullptr); }

    std::unique_ptr<CMultitrackerDoc> newDoc()
    {
        auto doc = std::make_unique<CMultitrackerDoc>(settings, prompter);
        doc->onNewDocument();
        return doc;
    }

    static std::string contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    PluginHost host;
    static std::unique_ptr<TempDir> s_shared;
};

std::unique_ptr<TempDir> ProjectFileTest::s_shared;

TEST_F(ProjectFileTest, DemoArrangementSavesLoadsAndSavesToTheSameBytes)
{
    QString error;
    const QString data = demoAudio();
    ASSERT_TRUE(DemoProject::writeAudio(data, error)) << error.toStdString();
    auto doc = newDoc();
    ASSERT_TRUE(DemoProject::arrange(*doc, data, error)) << error.toStdString();
    EXPECT_FALSE(doc->isModified());
    std::string message;
    const std::string path = tmp.file("one.vpf");
    ASSERT_TRUE(ProjectFile::save(*doc, path, message)) << message;

    auto loaded = newDoc();
    ASSERT_TRUE(ProjectFile::load(*loaded, path, message)) << message;
    EXPECT_EQ(loaded->trackCount(), 3);
    EXPECT_EQ(loaded->title(), "Demo Compilation");
    EXPECT_EQ(loaded->trackAt(2)->name(), "Bass");
    const std::string again = tmp.file("two.vpf");
    ASSERT_TRUE(ProjectFile::save(*loaded, again, message));
    EXPECT_EQ(contents(path), contents(again));
}

TEST_F(ProjectFileTest, DemoCompilationHasTracksCrossfadesCurvesAndCdTracks)
{
    auto doc = newDoc();
    QString error;
    const QString project = DemoProject::ensure(*doc, sharedData(), error);
    ASSERT_FALSE(project.isEmpty()) << error.toStdString();
    EXPECT_TRUE(QFileInfo(project).isFile());

    auto loaded = newDoc();
    std::string message;
    ASSERT_TRUE(ProjectFile::load(*loaded, project.toStdString(), message)) << message;
    ASSERT_EQ(loaded->trackCount(), 3);
    int crossfades = 0;
    int curves = 0;
    size_t clips = 0;
    for (int i = 0; i < loaded->trackCount(); ++i) {
        CTrack* t = loaded->trackAt(i);
        curves += int(t->curves().size());
        clips += t->clips().size();
        for (CAudioClip* c : t->clips()) {
            EXPECT_TRUE(c->isOpen());
            if (c->outgoing() && c->outgoing()->length() > 0)
                ++crossfades;
        }
    }
    EXPECT_EQ(clips, 9u);
    EXPECT_GE(crossfades, 1);
    EXPECT_EQ(curves, 2);
    // The melody fades in from silence.
    const CCurve* volume = loaded->trackAt(0)->curve(CCurve::kVolume);
    ASSERT_NE(volume, nullptr);
    EXPECT_FLOAT_EQ(volume->valueAt(0), 0.0f);
    EXPECT_FLOAT_EQ(volume->valueAt(44100), 0.5f);
    EXPECT_EQ(loaded->trackAt(0)->clips()[0]->outgoing()->shape(), kCrossfadeSinusoidal);

    int splits = 0;
    int others = 0;
    std::vector<int32_t> pauses;
    CLabelList::Cursor cursor;
    for (ProjectLabel* l = loaded->labels().first(cursor); l; l = loaded->labels().next(cursor)) {
        if (l->kind == ProjectLabel::kTrackSplit)
            ++splits;
        else
            ++others;
    }
    EXPECT_EQ(splits, 3);
    EXPECT_EQ(others, 2);

    // A second start finds the demo and does not write it again.
    const QDateTime written = QFileInfo(project).lastModified();
    EXPECT_EQ(DemoProject::ensure(*doc, sharedData(), error), project);
    EXPECT_EQ(QFileInfo(project).lastModified(), written);
}

// The demo is the first thing a new user hears, and what they export first.
TEST_F(ProjectFileTest, DemoMixStaysBelowFullScale)
{
    auto doc = newDoc();
    QString error;
    ASSERT_TRUE(DemoProject::arrange(*doc, demoAudio(), error)) << error.toStdString();
    // Every track sounds, as in an export.
    for (int i = 0; i < doc->trackCount(); ++i)
        doc->trackAt(i)->setPlaybackOff(0);
    ClipCounter counter;
    RenderRequest request;
    request.sink = &counter;
    request.range = SampleRange(0, doc->projectEnd());
    request.extraGain = 1.0f;
    Renderer renderer(*doc);
    ASSERT_EQ(renderer.render(request), 1);
    EXPECT_GE(counter.framesDone(), doc->projectEnd());
    EXPECT_EQ(counter.clipped, 0) << "peak " << counter.peak;
    EXPECT_GT(counter.peak, 0.5f) << "not so quiet that nothing is heard";
}

TEST(DemoProject, PiecesAreAudibleStereoWithinFullScale)
{
    const auto pieces = DemoProject::pieces();
    for (size_t i = 0; i < pieces.size(); ++i) {
        const std::vector<float> frames = DemoProject::synthesise(i);
        ASSERT_EQ(frames.size(), size_t(pieces[i].seconds * DemoProject::kRate) * 2) << i;
        float peak = 0.0f;
        double energy = 0.0;
        for (float v : frames) {
            ASSERT_TRUE(std::isfinite(v));
            peak = std::max(peak, std::fabs(v));
            energy += double(v) * v;
        }
        EXPECT_LE(peak, 1.0f) << i;
        EXPECT_GT(peak, 0.3f) << i;
        // Not a constant tone at full level either: the pieces have shape.
        EXPECT_LT(std::sqrt(energy / double(frames.size())), peak * 0.9) << i;
    }
}

} // namespace
} // namespace quillon::test
