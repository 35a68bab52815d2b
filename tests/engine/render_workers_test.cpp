#include "engine/render_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace quillon::test {
namespace {

// Every index of every batch runs exactly once, whatever the pool size and however the
// batch sizes change from one batch to the next (a worker left over from a larger batch
// must not run an index of the next one).
TEST(RenderWorkersTest, EveryTaskOfEveryBatchRunsExactlyOnce)
{
    for (int threads : {0, 1, 3}) {
        RenderWorkers workers(threads);
        EXPECT_EQ(workers.extraThreads(), threads);
        std::vector<std::atomic<int>> runs(64);
        for (int batch = 0; batch < 3000; ++batch) {
            const int count = 1 + (batch * 7) % 23;
            for (auto& r : runs)
                r.store(0);
            auto task = [&](int32_t i) {
                runs[size_t(i)].fetch_add(1);
            };
            workers.run(count, task);
            for (int i = 0; i < 64; ++i)
                ASSERT_EQ(runs[size_t(i)].load(), i < count ? 1 : 0)
                    << "threads " << threads << ", batch " << batch << ", task " << i;
        }
    }
}

TEST(RenderWorkersTest, ThreadsForLeavesTheCallerOneShare)
{
    EXPECT_EQ(RenderWorkers::threadsFor(0), 0);
    EXPECT_EQ(RenderWorkers::threadsFor(1), 0);
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    EXPECT_EQ(RenderWorkers::threadsFor(100), std::max(0, cores - 1));
}

// A pool ended right after it was made (before its threads ever ran) still ends.
TEST(RenderWorkersTest, PoolEndedAtOnceDoesNotHang)
{
    // On a thread of its own, so that a hang fails the test instead of stopping the suite;
    // the state is shared so that a thread left hanging never touches a dead frame.
    auto ran = std::make_shared<std::atomic<int>>(0);
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread([ran, done] {
        for (int i = 0; i < 300; ++i) {
            RenderWorkers workers(2);
            if (i % 2) {
                auto task = [&ran](int32_t) { ran->fetch_add(1); };
                workers.run(5, task);
            }
        }
        done->set_value();
    }).detach();
    ASSERT_EQ(finished.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "a pool did not end";
    EXPECT_EQ(ran->load(), 150 * 5);
}

// A failing task's exception reaches the caller after the batch; the other tasks ran and
// the pool keeps working.
TEST(RenderWorkersTest, TaskExceptionReachesTheCallerAfterTheBatch)
{
    RenderWorkers workers(2);
    std::atomic<int> ran{0};
    auto failing = [&](int32_t i) {
        ran.fetch_add(1);
        if (i == 3)
            throw std::runtime_error("track 3");
    };
    try {
        workers.run(8, failing);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "track 3");
    }
    EXPECT_EQ(ran.load(), 8);
    ran = 0;
    auto fine = [&](int32_t) { ran.fetch_add(1); };
    workers.run(8, fine);
    EXPECT_EQ(ran.load(), 8);
}

} // namespace
} // namespace quillon::test
