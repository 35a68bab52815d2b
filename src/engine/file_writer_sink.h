#pragma once
// A render sink that appends every block to a file through a file-filter instance
// (command 102). The instance must have a destination open (command 100 or 101; see
// create() and choose()); the sink owns it and releases it when destroyed or closed,
// which finishes the file. Blocks are interleaved 32-bit float frames; the filter
// converts them to the destination format.
//
// Threads: acceptBlock() runs on the render thread; framesWritten(), framesDone(),
// framesDelivered() and bytesReceived() may be read from any thread while it runs
// (a progress display). close() and destruction come after the render has ended.

#include "engine/sample_sink.h"
#include "plugins/file_filter.h"

#include <quillon/wave_format.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

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
    // extension names, for float input (command 101). ClassCom when no filter can be
    // created or the file cannot be created.
    static std::unique_ptr<FileWriterSink> create(PluginHost& host, const std::string& path,
                                                  const WAVEFORMATEX& destination);
    // The same, but the filter lets the user choose file and type (command 100) with
    // `defaultFormat` preselected (-1 for none). Null when the user cancels (nothing is
    // written); ClassCom on failure.
    static std::unique_ptr<FileWriterSink> choose(PluginHost& host, const WAVEFORMATEX& destination,
                                                  int32_t defaultFormat);

    // Appends the block's frames; a nonzero result of the filter is thrown as ClassCom
    // with its code (the file keeps what was written before). Never called after close().
    bool acceptBlock(const SampleBlock& block) override;
    // Bytes received divided by the bytes per frame of the last block.
    int64_t framesWritten() const;
    int64_t framesDone() const override { return framesWritten(); }
    int64_t framesDelivered() const override { return framesWritten(); }
    uint64_t bytesReceived() const { return m_bytes.load(std::memory_order_acquire); }

    // Releases the filter now, which finishes the file; later blocks are refused.
    void close();
    bool isOpen() const { return m_filter.isValid(); }

private:
    FileFilter m_filter;
    std::atomic<uint64_t> m_bytes{0};
    std::atomic<uint32_t> m_bytesPerFrame{0};
};

} // namespace quillon
