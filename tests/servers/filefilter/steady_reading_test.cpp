// Reading block after block, as the playback thread does, allocates nothing: every
// operator new on the reading thread is counted while the blocks are read.

#include "filter_fixture.h"

#include <atomic>
#include <cstdlib>
#include <new>

// The replacements below pair malloc with free themselves; the compiler cannot see that.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
thread_local bool t_counting = false;
std::atomic<long> g_allocations{0};
} // namespace

void* operator new(std::size_t size)
{
    if (t_counting)
        ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (t_counting)
        ++g_allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void* operator new(std::size_t size, std::align_val_t align)
{
    if (t_counting)
        ++g_allocations;
    const auto a = static_cast<std::size_t>(align);
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t align) { return operator new(size, align); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

using namespace quillon;
using namespace quillon::test;

namespace {

struct SteadyCase {
    const char* name;
    int format;
    int rate;
    int channels;
    uint32_t outRate;
    uint16_t outChannels;
};

class SteadyReading : public ::testing::TestWithParam<SteadyCase> {};

} // namespace

TEST_P(SteadyReading, AllocatesNothingPerBlock)
{
    const SteadyCase& c = GetParam();
    TempDir tmp;
    ASSERT_TRUE(writeTone(tmp.file("t"), c.format, TestTone{c.rate, c.channels, c.rate * 4}));
    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(tmp.file("t")));
    filter.setOutputFormat(outputFormat(c.outRate, c.outChannels));
    const uint32_t reader = filter.createReader();
    std::vector<float> block(2205 * c.outChannels);
    int32_t at = 0;
    auto renderBlock = [&] {
        filter.seekReader(reader, at);
        filter.read(reader, block.data(), 2205);
        at += 2205;
    };
    for (int i = 0; i < 4; ++i)
        renderBlock(); // the first blocks set the reader up

    g_allocations = 0;
    t_counting = true;
    for (int i = 0; i < 60; ++i)
        renderBlock();
    t_counting = false;
    EXPECT_EQ(g_allocations.load(), 0);

    // The count does see the server's allocations: opening a reader makes some.
    t_counting = true;
    filter.closeReader(filter.createReader());
    t_counting = false;
    EXPECT_GT(g_allocations.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(FileFilter, SteadyReading,
                         ::testing::Values(SteadyCase{"same", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 44100, 2},
                                           SteadyCase{"resampled", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2, 44100, 2},
                                           SteadyCase{"widened", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 22050, 1, 44100, 2},
                                           SteadyCase{"narrowed", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 96000, 6, 44100, 2},
                                           SteadyCase{"vorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, 44100, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// A time-scaled clip plays through its reader's stretcher, which must not allocate either.
TEST(SteadyReadingScaled, AllocatesNothingPerBlock)
{
    TempDir tmp;
    ASSERT_TRUE(writeTone(tmp.file("t"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, TestTone{44100, 2, 44100 * 6}));
    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(tmp.file("t")));
    filter.setTimeScaleRatio(1.3f);
    filter.setTransitionScale(44100, 0x100 | 2, 0.8f); // the tempo changes while the blocks play
    const uint32_t reader = filter.createReader();
    std::vector<float> block(2205 * 2);
    int32_t at = 0;
    auto renderBlock = [&] {
        filter.seekReader(reader, at);
        filter.read(reader, block.data(), 2205);
        at += 2205;
    };
    for (int i = 0; i < 4; ++i)
        renderBlock();

    g_allocations = 0;
    t_counting = true;
    for (int i = 0; i < 60; ++i)
        renderBlock();
    t_counting = false;
    EXPECT_EQ(g_allocations.load(), 0);
}

// Reading from copied frames into a stretched transition restarts the stretcher mid-block.
TEST(SteadyReadingScaled, CrossingIntoTransitionsAllocatesNothing)
{
    TempDir tmp;
    ASSERT_TRUE(writeTone(tmp.file("t"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, TestTone{44100, 2, 44100 * 4}));
    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(tmp.file("t")));
    filter.setTransitionScale(44100 * 2, 0x200 | 1, 1.6f);
    filter.setTransitionScale(44100, 0x100 | 2, 0.7f);
    const uint32_t reader = filter.createReader();
    std::vector<float> block(2205 * 2);
    int32_t at = 0;
    auto renderBlock = [&] {
        filter.seekReader(reader, at);
        filter.read(reader, block.data(), 2205);
        at += 2205;
    };
    for (int i = 0; i < 4; ++i)
        renderBlock();
    g_allocations = 0;
    t_counting = true;
    for (int i = 0; i < 100; ++i)
        renderBlock();
    t_counting = false;
    EXPECT_EQ(g_allocations.load(), 0);
}
