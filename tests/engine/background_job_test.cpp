#include "engine/background_job.h"
#include "engine/job_runner.h"
#include "engine/render_job.h"

#include "engine/engine_fixture.h"
#include "plugins/class_com.h"

#include <gtest/gtest.h>

#include <thread>

namespace quillon::test {
namespace {

using namespace std::chrono_literals;

class ScriptedJob : public BackgroundJob {
public:
    ~ScriptedJob() override { wait(); }
    int32_t run() override
    {
        while (hold.load())
            std::this_thread::sleep_for(1ms);
        if (throwCode)
            throw ClassCom(throwCode);
        return returns;
    }
    std::atomic<bool> hold{false};
    int32_t throwCode = 0;
    int32_t returns = 0;
};

TEST(BackgroundJob, ResultsAndErrorsDecideHowARunEnds)
{
    PollingJobRunner runner(1ms);
    ScriptedJob ok;
    EXPECT_EQ(runner.runJob(ok), JobRunner::kFinished);
    EXPECT_TRUE(ok.isDone());
    EXPECT_FALSE(ok.error());

    ScriptedJob refused;
    refused.returns = 5;
    EXPECT_EQ(runner.runJob(refused), JobRunner::kStopped);
    EXPECT_EQ(refused.result(), 5);

    // An exception on the worker ends the job instead of the program.
    ScriptedJob failing;
    failing.throwCode = 7;
    EXPECT_EQ(runner.runJob(failing), JobRunner::kStopped);
    EXPECT_EQ(failing.result(), 7);
    ASSERT_TRUE(failing.error());
    try {
        std::rethrow_exception(failing.error());
    } catch (const ClassCom& e) {
        EXPECT_EQ(e.code(), 7);
    }
    // The base cannot be stopped.
    EXPECT_FALSE(failing.abort());
}

TEST(BackgroundJob, RunsOnceAtATimeAndCanRunAgain)
{
    ScriptedJob job;
    EXPECT_FALSE(job.isRunning());
    job.wait(); // never started: returns at once
    job.hold = true;
    ASSERT_TRUE(job.start());
    EXPECT_FALSE(job.isDone());
    EXPECT_TRUE(job.isRunning());
    EXPECT_FALSE(job.start());
    job.hold = false;
    job.wait();
    EXPECT_TRUE(job.isDone());
    job.returns = 3;
    ASSERT_TRUE(job.start());
    job.wait();
    EXPECT_EQ(job.result(), 3);
}

TEST(JobRunner, CaptionNamesTheWholePercent)
{
    EXPECT_EQ(JobRunner::caption("Exporting", 42), "Exporting, 42% done");
}

class RenderJobTest : public EngineFixture {};

TEST_F(RenderJobTest, ProgressFollowsTheSinkAndAbortEndsTheRender)
{
    addTrack();
    addClip(0, writeConstant("c.wav", 20000, 0.5f, 0.5f), 0);
    CollectingSink sink;
    RenderJob job(doc, SampleRange(0, 20000), &sink);
    EXPECT_EQ(job.title(), "Exporting");
    EXPECT_EQ(job.progress(), 0.0f);
    PollingJobRunner runner(1ms);
    EXPECT_EQ(runner.runJob(job), JobRunner::kFinished);
    // Ten whole blocks cover the range; progress stops at 1.
    EXPECT_EQ(sink.frameCount(), 10u * 2205u);
    EXPECT_EQ(job.progress(), 1.0f);
    EXPECT_FLOAT_EQ(job.peak(), 0.5f);

    // Stopped while the sink holds it at its third block: abort() returns only once
    // the render has ended, and no block follows the one in progress.
    CollectingSink slow;
    std::atomic<bool> release{false};
    std::atomic<int> taken{0};
    slow.onBlock = [&](int blocks) {
        taken = blocks;
        while (blocks == 3 && !release.load())
            std::this_thread::sleep_for(1ms);
        return true;
    };
    RenderJob stopped(doc, SampleRange(0, 20000), &slow);
    ASSERT_TRUE(stopped.start());
    while (taken.load() < 3)
        std::this_thread::sleep_for(1ms);
    std::thread releaser([&] {
        std::this_thread::sleep_for(20ms);
        release = true;
    });
    EXPECT_TRUE(stopped.abort());
    EXPECT_TRUE(stopped.isDone());
    releaser.join();
    EXPECT_TRUE(stopped.wasAborted());
    EXPECT_EQ(slow.blockFrames.size(), 3u);
    EXPECT_NEAR(stopped.progress(), 3.0 * 2205 / 20000, 1e-6);
    EXPECT_EQ(stopped.result(), 0);
}

TEST_F(RenderJobTest, AStopBeforeTheRenderBeginsIsKept)
{
    addTrack();
    CollectingSink sink;
    RenderJob job(doc, SampleRange(0, 20000), &sink);
    job.abort(); // not running: returns at once
    ASSERT_TRUE(job.start());
    job.wait();
    EXPECT_TRUE(sink.blockFrames.empty());
}

} // namespace
} // namespace quillon::test
