#include "engine/file_writer_sink.h"

#include "engine/sample_block.h"
#include "plugins/class_com.h"

#include <quillon/plugin_abi.h>

#include <algorithm>

namespace quillon {

FileWriterSink::FileWriterSink(FileFilter filter) : m_filter(std::move(filter))
{
    m_writer = std::thread([this] { writerLoop(); });
}

FileWriterSink::~FileWriterSink() { close(); }

std::unique_ptr<FileWriterSink> FileWriterSink::create(PluginHost& host, const std::string& path,
                                                       const WAVEFORMATEX& destination, int64_t frames)
{
    FileFilter filter = FileFilter::create(host);
    if (!filter.createDestination(path, destination, true, frames))
        throw ClassCom(QUILLON_E_IO);
    return std::make_unique<FileWriterSink>(std::move(filter));
}

std::unique_ptr<FileWriterSink> FileWriterSink::choose(PluginHost& host, const WAVEFORMATEX& destination,
                                                       int32_t defaultFormat, int64_t frames)
{
    FileFilter filter = FileFilter::create(host);
    if (!filter.chooseDestination(destination, defaultFormat, frames))
        return nullptr;
    return std::make_unique<FileWriterSink>(std::move(filter));
}

bool FileWriterSink::acceptBlock(const SampleBlock& block)
{
    std::unique_lock lock(m_mutex);
    throwPendingError();
    if (m_stopping || !m_filter.isValid())
        return false;
    m_changed.wait(lock, [this] { return m_queued < kQueueSlots || m_error; });
    throwPendingError();
    Slot* slot = &m_slots[(m_head + m_queued) % kQueueSlots];
    if (slot->frames > 0 && slot->bytesPerFrame != block.bytesPerFrame()) {
        // A slot holds frames of one size only.
        queueFilling();
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_queued < kQueueSlots || m_error; });
        throwPendingError();
        slot = &m_slots[(m_head + m_queued) % kQueueSlots];
    }
    const size_t held = size_t{slot->frames} * block.channels();
    const size_t samples = block.sizeInBytes() / sizeof(float);
    // Slots take their size from the render's first blocks; later blocks reuse them.
    if (slot->samples.size() < held + samples)
        slot->samples.resize(std::max(held + samples, size_t{kSlotFrames + block.frameCount()} * block.channels()));
    std::copy(block.data(), block.data() + samples, slot->samples.data() + held);
    slot->frames += block.frameCount();
    slot->bytesPerFrame = block.bytesPerFrame();
    m_bytesDelivered.fetch_add(block.sizeInBytes(), std::memory_order_acq_rel);
    m_bytesPerFrame.store(block.bytesPerFrame(), std::memory_order_release);
    if (slot->frames >= kSlotFrames) {
        queueFilling();
        lock.unlock();
        m_changed.notify_all();
    }
    return true;
}

void FileWriterSink::queueFilling()
{
    if (m_queued < kQueueSlots && m_slots[(m_head + m_queued) % kQueueSlots].frames > 0)
        ++m_queued;
}

void FileWriterSink::finish()
{
    std::unique_lock lock(m_mutex);
    queueFilling();
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_queued == 0 || m_error; });
    throwPendingError();
}

void FileWriterSink::throwPendingError()
{
    if (m_error)
        std::rethrow_exception(m_error);
}

void FileWriterSink::writerLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_queued > 0 || m_stopping; });
        if (m_queued == 0)
            return; // stopping with nothing left
        Slot& slot = m_slots[m_head];
        lock.unlock();
        std::exception_ptr error;
        try {
            // Only this thread uses the filter while the sink is open.
            m_filter.write(slot.samples.data(), slot.frames);
            m_bytes.fetch_add(uint64_t{slot.frames} * slot.bytesPerFrame, std::memory_order_acq_rel);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        slot.frames = 0;
        m_head = (m_head + 1) % kQueueSlots;
        --m_queued;
        if (error) {
            // Nothing after a failed slot goes to the file.
            m_error = error;
            m_queued = 0;
            for (Slot& other : m_slots)
                other.frames = 0;
        }
        m_changed.notify_all();
    }
}

int64_t FileWriterSink::framesWritten() const
{
    const uint32_t perFrame = m_bytesPerFrame.load(std::memory_order_acquire);
    return perFrame ? static_cast<int64_t>(bytesReceived() / perFrame) : 0;
}

int64_t FileWriterSink::framesDelivered() const
{
    const uint32_t perFrame = m_bytesPerFrame.load(std::memory_order_acquire);
    return perFrame ? static_cast<int64_t>(m_bytesDelivered.load(std::memory_order_acquire) / perFrame) : 0;
}

void FileWriterSink::close()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_error)
            queueFilling();
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_writer.joinable())
        m_writer.join();
    m_filter.instance().release();
}

} // namespace quillon
