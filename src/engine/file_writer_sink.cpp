#include "engine/file_writer_sink.h"

#include "engine/sample_block.h"
#include "plugins/class_com.h"

#include <quillon/plugin_abi.h>

namespace quillon {

FileWriterSink::FileWriterSink(FileFilter filter) : m_filter(std::move(filter)) {}

FileWriterSink::~FileWriterSink() { close(); }

std::unique_ptr<FileWriterSink> FileWriterSink::create(PluginHost& host, const std::string& path,
                                                       const WAVEFORMATEX& destination)
{
    FileFilter filter = FileFilter::create(host);
    if (!filter.createDestination(path, destination, true))
        throw ClassCom(QUILLON_E_IO);
    return std::make_unique<FileWriterSink>(std::move(filter));
}

std::unique_ptr<FileWriterSink> FileWriterSink::choose(PluginHost& host, const WAVEFORMATEX& destination,
                                                       int32_t defaultFormat)
{
    FileFilter filter = FileFilter::create(host);
    if (!filter.chooseDestination(destination, defaultFormat))
        return nullptr;
    return std::make_unique<FileWriterSink>(std::move(filter));
}

bool FileWriterSink::acceptBlock(const SampleBlock& block)
{
    if (!m_filter.isValid())
        return false;
    m_filter.write(block.data(), block.frameCount());
    m_bytesPerFrame.store(block.bytesPerFrame(), std::memory_order_release);
    m_bytes.fetch_add(block.sizeInBytes(), std::memory_order_acq_rel);
    return true;
}

int64_t FileWriterSink::framesWritten() const
{
    const uint32_t perFrame = m_bytesPerFrame.load(std::memory_order_acquire);
    return perFrame ? static_cast<int64_t>(bytesReceived() / perFrame) : 0;
}

void FileWriterSink::close() { m_filter.instance().release(); }

} // namespace quillon
