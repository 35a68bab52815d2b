#include "engine/wave_input_device.h"

#include "engine/pcm_converter.h"
#include "engine/portaudio_session.h"

#include <portaudio.h>

#include <algorithm>
#include <cstring>

namespace quillon {

WaveInputDevice::WaveInputDevice() = default;

WaveInputDevice::~WaveInputDevice()
{
    close();
}

std::vector<std::string> WaveInputDevice::deviceNames()
{
    PortAudioSession session;
    std::vector<std::string> names;
    for (const PortAudioSession::Device& d : session.devices(false))
        names.push_back(d.name);
    return names;
}

int64_t WaveInputDevice::nowTicks()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int WaveInputDevice::open(int deviceId, const WAVEFORMATEX& format, uint32_t framesPerBuffer)
{
    close();
    if (format.wFormatTag != QUILLON_WAVE_FORMAT_PCM || format.nChannels == 0 || format.nSamplesPerSec == 0 ||
        !PcmConverter::isSupported(format.wBitsPerSample) || framesPerBuffer == 0)
        return kCannotOpen;

    auto session = std::make_unique<PortAudioSession>();
    const int device = session->resolve(deviceId, false);
    const PaDeviceInfo* info = device >= 0 ? Pa_GetDeviceInfo(device) : nullptr;
    if (!info)
        return kCannotOpen;

    m_format = format;
    m_format.nBlockAlign = static_cast<uint16_t>(format.nChannels * format.wBitsPerSample / 8);
    m_framesPerBuffer = framesPerBuffer;
    m_bufferBytes = framesPerBuffer * m_format.nBlockAlign;
    m_buffers.assign(static_cast<size_t>(m_bufferBytes) * kBufferCount, 0);
    m_fillOffset = 0;
    m_filled.store(0);
    m_read.store(0);
    m_dropped.store(0);
    m_failed.store(false);
    m_stopping.store(false);

    PaStreamParameters params{};
    params.device = device;
    params.channelCount = format.nChannels;
    switch (format.wBitsPerSample) {
    case 8:
        params.sampleFormat = paUInt8;
        break;
    case 16:
        params.sampleFormat = paInt16;
        break;
    case 24:
        params.sampleFormat = paInt24;
        break;
    default:
        params.sampleFormat = paInt32;
        break;
    }
    params.suggestedLatency = info->defaultHighInputLatency;

    std::lock_guard api(PortAudioSession::streamMutex());
    PaStream* stream = nullptr;
    if (Pa_OpenStream(&stream, &params, nullptr, format.nSamplesPerSec, paFramesPerBufferUnspecified,
                      paClipOff | paDitherOff, &WaveInputDevice::streamCallback, this) != paNoError) {
        m_buffers.clear();
        return kCannotOpen;
    }
    Pa_SetStreamFinishedCallback(stream, &WaveInputDevice::streamFinished);
    m_lastBuffer.store(nowTicks());
    if (Pa_StartStream(stream) != paNoError) {
        m_stopping.store(true);
        Pa_CloseStream(stream);
        m_buffers.clear();
        return kCannotStart;
    }
    m_stream = stream;
    m_session = std::move(session);
    return kOpened;
}

int WaveInputDevice::streamCallback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
                                    unsigned long, void* self)
{
    static_cast<WaveInputDevice*>(self)->capture(static_cast<const uint8_t*>(input), frames);
    return paContinue;
}

void WaveInputDevice::capture(const uint8_t* in, unsigned long frames)
{
    const uint32_t align = m_format.nBlockAlign;
    size_t remaining = static_cast<size_t>(frames) * align;
    bool completed = false;
    while (remaining > 0) {
        const uint32_t filled = m_filled.load(std::memory_order_relaxed);
        // The slot being filled must not be one that read may still be copying.
        if (filled - m_read.load(std::memory_order_acquire) >= kBufferCount) {
            m_dropped.fetch_add(remaining / align, std::memory_order_relaxed);
            break;
        }
        uint8_t* slot = m_buffers.data() + static_cast<size_t>(filled % kBufferCount) * m_bufferBytes;
        const size_t n = std::min<size_t>(remaining, m_bufferBytes - m_fillOffset);
        if (in) {
            std::memcpy(slot + m_fillOffset, in, n);
            in += n;
        } else {
            std::memset(slot + m_fillOffset, m_format.wBitsPerSample == 8 ? 0x80 : 0, n);
        }
        remaining -= n;
        m_fillOffset += static_cast<uint32_t>(n);
        if (m_fillOffset == m_bufferBytes) {
            m_fillOffset = 0;
            m_filled.store(filled + 1, std::memory_order_release);
            completed = true;
        }
    }
    if (completed) {
        m_lastBuffer.store(nowTicks(), std::memory_order_relaxed);
        m_bufferFull.notify_all();
    }
}

void WaveInputDevice::streamFinished(void* self)
{
    auto* device = static_cast<WaveInputDevice*>(self);
    if (!device->m_stopping.load()) {
        device->m_failed.store(true);
        device->m_bufferFull.notify_all();
    }
}

WaveInputDevice::ReadResult WaveInputDevice::read(uint8_t* destination, std::chrono::milliseconds wait)
{
    if (!m_stream)
        return ReadResult::Failed;
    const uint32_t next = m_read.load(std::memory_order_relaxed);
    {
        std::unique_lock lock(m_mutex);
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (m_filled.load(std::memory_order_acquire) == next) {
            if (m_failed.load() || Pa_IsStreamActive(m_stream) != 1)
                return ReadResult::Failed;
            if (nowTicks() - m_lastBuffer.load(std::memory_order_relaxed) > m_stallLimit.count()) {
                m_failed.store(true);
                return ReadResult::Failed;
            }
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline)
                return ReadResult::Waiting;
            // Signalled without the lock by the callback: wait in short steps.
            m_bufferFull.wait_for(lock, std::min<std::chrono::steady_clock::duration>(deadline - now,
                                                                                    std::chrono::milliseconds(10)));
        }
    }
    std::memcpy(destination, m_buffers.data() + static_cast<size_t>(next % kBufferCount) * m_bufferBytes,
                m_bufferBytes);
    m_read.store(next + 1, std::memory_order_release);
    return ReadResult::Ready;
}

void WaveInputDevice::close()
{
    if (!m_stream)
        return;
    m_stopping.store(true);
    PaStream* stream = m_stream;
    m_stream = nullptr;
    std::lock_guard api(PortAudioSession::streamMutex());
    Pa_AbortStream(stream);
    Pa_CloseStream(stream);
    m_buffers.clear();
    m_buffers.shrink_to_fit();
    m_session.reset();
}

} // namespace quillon
