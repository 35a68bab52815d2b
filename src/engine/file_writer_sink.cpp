#include "engine/file_writer_sink.h"

#include "engine/sample_block.h"
#include "plugins/plugin_host.h"

#include <quillon/plugin_abi.h>

namespace quillon {

namespace {

PluginInstance newFilter(PluginHost& host)
{
    const QuillonIdentifier id = QUILLON_IID_FILE_FILTER;
    return host.create(id, 0);
}

} // namespace

FileWriterSink::FileWriterSink(PluginInstance filter) : m_filter(std::move(filter)) {}

FileWriterSink::~FileWriterSink() { close(); }

std::unique_ptr<FileWriterSink> FileWriterSink::create(PluginHost& host, const std::string& path,
                                                       const WAVEFORMATEX& destination)
{
    PluginInstance filter = newFilter(host);
    QuillonFfCreate p{path.c_str(), &destination, QUILLON_FF_INPUT_FLOAT, 0, 0};
    filter.call(QUILLON_FF_CREATE, p);
    if (!p.success)
        throw ClassCom(QUILLON_E_IO);
    return std::make_unique<FileWriterSink>(std::move(filter));
}

std::unique_ptr<FileWriterSink> FileWriterSink::choose(PluginHost& host, const WAVEFORMATEX& destination,
                                                       int32_t defaultFormat)
{
    PluginInstance filter = newFilter(host);
    QuillonFfChooseDestination p{&destination, 1, defaultFormat, 0};
    filter.call(QUILLON_FF_CHOOSE_DESTINATION, p);
    if (!p.success)
        return nullptr;
    return std::make_unique<FileWriterSink>(std::move(filter));
}

bool FileWriterSink::acceptBlock(const SampleBlock& block)
{
    if (!m_filter.isValid())
        return false;
    QuillonFfWrite p{block.data(), block.frameCount(), 0};
    m_filter.call(QUILLON_FF_WRITE, p);
    m_bytesPerFrame.store(block.bytesPerFrame(), std::memory_order_release);
    m_bytes.fetch_add(block.sizeInBytes(), std::memory_order_acq_rel);
    return true;
}

int64_t FileWriterSink::framesWritten() const
{
    const uint32_t perFrame = m_bytesPerFrame.load(std::memory_order_acquire);
    return perFrame ? static_cast<int64_t>(bytesReceived() / perFrame) : 0;
}

void FileWriterSink::close() { m_filter.release(); }

} // namespace quillon
