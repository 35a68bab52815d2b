#include "plugins/host_audio_block.h"
#include "plugins/host_byte_stream.h"
#include "plugins/plugin_instance.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quillon;

namespace {

template <class P>
int32_t send(QuillonInterface& record, uint32_t code, P& param)
{
    return record.command(&record, code, &param, sizeof(P));
}

TEST(HostAudioBlock, DescribesTheBlockItLends)
{
    std::vector<float> frames(2 * 100, 0.25f);
    HostAudioBlock block(frames.data(), 60, 2, 100, 12345);
    QuillonInterface r = block.record();
    const QuillonIdentifier blockId = QUILLON_IID_AUDIO_BLOCK;
    EXPECT_TRUE(r.id == blockId);
    EXPECT_EQ(r.release, nullptr); // the caller's stack owns it

    QuillonBlockData data{};
    QuillonBlockFrames count{}, capacity{};
    QuillonBlockChannels channels{};
    QuillonBlockStart start{};
    ASSERT_EQ(send(r, QUILLON_BLOCK_DATA, data), 0);
    ASSERT_EQ(send(r, QUILLON_BLOCK_FRAME_COUNT, count), 0);
    ASSERT_EQ(send(r, QUILLON_BLOCK_CAPACITY, capacity), 0);
    ASSERT_EQ(send(r, QUILLON_BLOCK_CHANNELS, channels), 0);
    ASSERT_EQ(send(r, QUILLON_BLOCK_START, start), 0);
    EXPECT_EQ(data.data, frames.data());
    EXPECT_EQ(count.frames, 60u);
    EXPECT_EQ(capacity.frames, 100u);
    EXPECT_EQ(channels.channels, 2u);
    EXPECT_EQ(start.position, 12345);
}

TEST(HostAudioBlock, ResizesOnlyWithinItsCapacity)
{
    std::vector<float> frames(100);
    HostAudioBlock block(frames.data(), 60, 1, 100, 0);
    QuillonInterface r = block.record();
    QuillonBlockFrames size{100};
    EXPECT_EQ(send(r, QUILLON_BLOCK_RESIZE, size), 0);
    EXPECT_EQ(block.frameCount(), 100u);
    size.frames = 101;
    EXPECT_EQ(send(r, QUILLON_BLOCK_RESIZE, size), QUILLON_E_BAD_PARAM);
    EXPECT_EQ(block.frameCount(), 100u);
    size.frames = 10;
    EXPECT_EQ(send(r, QUILLON_BLOCK_RESIZE, size), 0);
    EXPECT_EQ(block.frameCount(), 10u);

    // A capacity below the frame count is taken as the frame count.
    HostAudioBlock tight(frames.data(), 50, 1, 0, 0);
    EXPECT_EQ(tight.capacity(), 50u);
}

TEST(HostAudioBlock, RefusesWrongSizesAndUnknownCommands)
{
    std::vector<float> frames(10);
    HostAudioBlock block(frames.data(), 10, 1, 10, 0);
    QuillonInterface r = block.record();
    uint64_t wrong = 0;
    EXPECT_EQ(send(r, QUILLON_BLOCK_FRAME_COUNT, wrong), QUILLON_E_BAD_SIZE);
    EXPECT_EQ(r.command(&r, QUILLON_BLOCK_DATA, nullptr, sizeof(QuillonBlockData)), QUILLON_E_BAD_SIZE);
    QuillonBlockFrames f{};
    EXPECT_EQ(send(r, 999, f), QUILLON_E_UNKNOWN_COMMAND);
}

TEST(HostByteStream, WritesReadsSeeksAndMeasures)
{
    MemoryStream memory;
    HostByteStream stream(memory);
    QuillonInterface r = stream.record();
    const QuillonIdentifier streamId = QUILLON_IID_BYTE_STREAM;
    EXPECT_TRUE(r.id == streamId);

    char text[] = "effect state";
    QuillonStreamTransfer w{text, 12, 0};
    ASSERT_EQ(send(r, QUILLON_STREAM_WRITE, w), 0);
    EXPECT_EQ(w.done, 12u);
    QuillonStreamLength len{};
    ASSERT_EQ(send(r, QUILLON_STREAM_LENGTH, len), 0);
    EXPECT_EQ(len.length, 12u);

    QuillonStreamSeek seek{-5, QUILLON_SEEK_END, 0};
    ASSERT_EQ(send(r, QUILLON_STREAM_SEEK, seek), 0);
    EXPECT_EQ(seek.position, 7u);
    char back[16] = {};
    QuillonStreamTransfer rd{back, 16, 0};
    ASSERT_EQ(send(r, QUILLON_STREAM_READ, rd), 0);
    EXPECT_EQ(rd.done, 5u); // fewer at the end
    EXPECT_EQ(std::string(back, 5), "state");

    seek = {2, QUILLON_SEEK_BEGIN, 0};
    ASSERT_EQ(send(r, QUILLON_STREAM_SEEK, seek), 0);
    seek = {1, QUILLON_SEEK_CURRENT, 0};
    ASSERT_EQ(send(r, QUILLON_STREAM_SEEK, seek), 0);
    EXPECT_EQ(seek.position, 3u);
    // Overwriting in the middle keeps the length.
    char x[] = "E";
    QuillonStreamTransfer over{x, 1, 0};
    ASSERT_EQ(send(r, QUILLON_STREAM_WRITE, over), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(memory.data()), memory.size()), "effEct state");
}

TEST(HostByteStream, RefusesSeeksBeforeTheStartAndStopsAtTheEnd)
{
    MemoryStream memory(std::vector<uint8_t>(10, 1));
    HostByteStream stream(memory);
    QuillonInterface r = stream.record();
    QuillonStreamSeek seek{-1, QUILLON_SEEK_BEGIN, 0};
    EXPECT_EQ(send(r, QUILLON_STREAM_SEEK, seek), QUILLON_E_BAD_PARAM);
    seek = {-11, QUILLON_SEEK_END, 0};
    EXPECT_EQ(send(r, QUILLON_STREAM_SEEK, seek), QUILLON_E_BAD_PARAM);
    seek = {0, 7, 0};
    EXPECT_EQ(send(r, QUILLON_STREAM_SEEK, seek), QUILLON_E_BAD_PARAM);
    seek = {INT64_MAX, QUILLON_SEEK_END, 0};
    EXPECT_EQ(send(r, QUILLON_STREAM_SEEK, seek), QUILLON_E_BAD_PARAM);
    seek = {50, QUILLON_SEEK_BEGIN, 0};
    ASSERT_EQ(send(r, QUILLON_STREAM_SEEK, seek), 0);
    EXPECT_EQ(seek.position, 10u);

    QuillonStreamTransfer bad{nullptr, 4, 0};
    EXPECT_EQ(send(r, QUILLON_STREAM_READ, bad), QUILLON_E_BAD_PARAM);
    EXPECT_EQ(send(r, QUILLON_STREAM_WRITE, bad), QUILLON_E_BAD_PARAM);
    EXPECT_EQ(memory.size(), 10u);
}

} // namespace
