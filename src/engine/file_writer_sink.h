#pragma once
// A render sink that appends every block to a file through a file-filter instance
// (command 102). The instance must have a destination open (command 100 or 101; see
// create() and choose()); the sink owns it and releases it when destroyed or closed,
// which finishes the file. Blocks are interleaved 32-bit float frames; the filter
// converts them to the destination format.
//
// The file is written behind the render: acceptBlock() appends the block to the slot
// being filled, a slot that holds kSlotFrames or more goes to the sink's own writer
// thread, and that thread hands whole slots to the filter. Encoding and disk writes
// overlap the mixing of the next blocks, and the filter is called a few times a second
// rather than twenty. finish() hands over the slot being filled and waits for the
// writer. A failed write is reported by the next acceptBlock() or by finish(); nothing
// after it is written, and the file keeps every slot written before.
//
// Threads: acceptBlock() and finish() run on the render thread; framesWritten(),
// framesDone(), framesDelivered() and bytesReceived() may be read from any thread while
// it runs (a progress display). close() and destruction come after the render has ended.

#include "engine/sample_sink.h"
#include "plugins/file_filter.h"

#include <quillon/wave_format.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillon {

class PluginHost;

class FileWriterSink : public SampleSink {
public:
    // Takes a filter that already has a destination open for float input.
    explicit FileWriterSink(FileFilter filter);
    ~FileWriterSink() override;
    FileWriterSink(const FileWriterSink&) = delete;
    FileWriterSink& operator=(const FileWriterSink&) = delete;

    // A new file-filter instance (global index 0) creating `path` in the type its
    // extension names, for float input (command 101). `frames` is the length to come (0
    // when unknown), from which a WAV file that will pass 4 GiB is made RF64 at once.
    // ClassCom when no filter can be created or the file cannot be created.
    static std::unique_ptr<FileWriterSink> create(PluginHost& host, const std::string& path,
                                                  const WAVEFORMATEX& destination, int64_t frames = 0);
    // The same, but the filter lets the user choose file and type (command 100) with
    // `defaultFormat` preselected (-1 for none). Null when the user cancels (nothing is
    // written); ClassCom on failure.
    static std::unique_ptr<FileWriterSink> choose(PluginHost& host, const WAVEFORMATEX& destination,
                                                  int32_t defaultFormat, int64_t frames = 0);

    // Queues the block's frames for the file. A nonzero result of the filter for an
    // earlier block is thrown here as ClassCom with its code (the file keeps what was
    // written before). False after close().
    bool acceptBlock(const SampleBlock& block) override;
    // Waits until every queued block is in the file; a write failure is thrown as in
    // acceptBlock().
    void finish() override;
    // Bytes written to the file divided by the bytes per frame of the last block.
    int64_t framesWritten() const;
    int64_t framesDone() const override { return framesWritten(); }
    // Frames handed to the sink, written or still queued.
    int64_t framesDelivered() const override;
    bool holdsExactRange() const override { return true; }
    uint64_t bytesReceived() const { return m_bytes.load(std::memory_order_acquire); }

    // Writes what is queued and releases the filter, which finishes the file; later
    // blocks are refused. A write failure at this point is dropped (the file keeps what
    // was written before it).
    void close();
    bool isOpen() const { return m_filter.isValid(); }

    // Slots that can wait for the writer before acceptBlock() waits in turn.
    static constexpr size_t kQueueSlots = 4;
    // Frames a slot collects before it is written (about 0.37 s at 44.1 kHz).
    static constexpr uint32_t kSlotFrames = 16384;

private:
    struct Slot {
        std::vector<float> samples;
        uint32_t frames = 0;
        uint32_t bytesPerFrame = 0;
    };

    void writerLoop();
    void throwPendingError();
    // Queues the slot being filled, when it holds anything; under m_mutex.
    void queueFilling();

    FileFilter m_filter;
    std::atomic<uint64_t> m_bytes{0};          // written to the file
    std::atomic<uint64_t> m_bytesDelivered{0}; // handed to acceptBlock
    std::atomic<uint32_t> m_bytesPerFrame{0};

    std::mutex m_mutex; // guards everything below
    std::condition_variable m_changed;
    Slot m_slots[kQueueSlots];
    size_t m_head = 0;   // next slot to write
    size_t m_queued = 0; // slots waiting or being written; the one after them is filling
    bool m_stopping = false;
    std::exception_ptr m_error; // the failure that ended writing
    std::thread m_writer;
};

} // namespace quillon
