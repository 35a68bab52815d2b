#include "engine/wave_output_device.h"

#include "base/level.h"
#include "base/wave_format.h"
#include "engine/portaudio_session.h"
#include "engine/sample_block.h"

#include <portaudio.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quillon {

namespace {

PaSampleFormat sampleFormat(uint16_t bits)
{
    switch (bits) {
    case 8:
        return paUInt8;
    case 16:
        return paInt16;
    case 24:
        return paInt24;
    default:
        return paInt32;
    }
}

} // namespace

WaveOutputDevice::WaveOutputDevice() = default;

int64_t WaveOutputDevice::nowMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

WaveOutputDevice::~WaveOutputDevice()
{
    close();
}

std::vector<std::string> WaveOutputDevice::deviceNames()
{
    PortAudioSession session;
    std::vector<std::string> names;
    for (const PortAudioSession::Device& d : session.devices(true))
        names.push_back(d.name);
    return names;
}

uint32_t WaveOutputDevice::volumeWord(double volumeDb, int pan)
{
    const double g = level::dbToGain(volumeDb);
    const double left = std::clamp(g * std::min(1.0, 1.0 - pan / 100.0), 0.0, 1.0);
    const double right = std::clamp(g * std::min(1.0, 1.0 + pan / 100.0), 0.0, 1.0);
    return static_cast<uint32_t>(left * 0xFFFF) | (static_cast<uint32_t>(right * 0xFFFF) << 16);
}

bool WaveOutputDevice::open(uint32_t rate, uint16_t channels, uint16_t bits, int deviceId, uint32_t ringSize)
{
    close();
    if (rate == 0 || channels == 0 || ringSize < 2 || !PcmConverter::isSupported(bits))
        return false;

    auto session = std::make_unique<PortAudioSession>();
    const int device = session->resolve(deviceId, true);
    if (device < 0)
        return false;
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    if (!info)
        return false;

    m_format = makePcmFormat(rate, channels, bits);
    PaStreamParameters params{};
    params.device = device;
    params.channelCount = channels;
    params.sampleFormat = sampleFormat(bits);
    params.suggestedLatency = info->defaultHighOutputLatency;

    m_ringSize = ringSize;
    m_ring = std::make_unique<Slot[]>(ringSize);
    m_writeIndex = m_completedIndex = m_readOffset = 0;
    m_queued.store(0);
    m_framesDelivered.store(0);
    m_framesPlayed.store(0);
    m_failed.store(false);
    m_stopping.store(false);
    m_producing.store(false);
    m_started.store(false);
    m_underruns.store(0);
    m_longestGap.store(0);
    m_longestGapAt.store(0);
    m_gapFrames = 0;
    m_firstBlockAt.store(0);
    m_lastProgress.store(nowMilliseconds());
    m_quantError[0] = m_quantError[1] = 0.0f;
    m_converter.reseed(kDitherSeed);

    // No clipping and no dither of PortAudio's own: the samples are final.
    std::unique_lock api(PortAudioSession::streamMutex());
    PaStream* stream = nullptr;
    PaError err = Pa_OpenStream(&stream, nullptr, &params, rate, paFramesPerBufferUnspecified,
                                paClipOff | paDitherOff, &WaveOutputDevice::streamCallback, this);
    if (err != paNoError) {
        m_ring.reset();
        return false;
    }
    Pa_SetStreamFinishedCallback(stream, &WaveOutputDevice::streamFinished);
    // The stream runs from open on; until blocks come it plays silence.
    err = Pa_StartStream(stream);
    if (err != paNoError) {
        Pa_CloseStream(stream);
        m_ring.reset();
        return false;
    }
    m_stream = stream;
    m_session = std::move(session);
    m_open.store(true, std::memory_order_release);
    return true;
}

bool WaveOutputDevice::acceptBlock(const SampleBlock& block)
{
    const uint32_t frames = block.frameCount();
    if (frames == 0)
        return true;
    if (!m_open.load(std::memory_order_acquire) || block.channels() != m_format.nChannels)
        return false;

    {
        std::unique_lock lock(m_mutex);
        const auto deadline = std::chrono::steady_clock::now() + m_returnTimeout;
        while (m_queued.load(std::memory_order_acquire) >= m_ringSize - 1) {
            if (m_failed.load() || Pa_IsStreamActive(m_stream) != 1)
                return false;
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline) {
                // Every slot may still be in the device: none can be reused.
                m_failed.store(true);
                return false;
            }
            // The callback signals without the lock, so a wake-up can slip past: wait in
            // short steps.
            m_returned.wait_for(lock, std::min<std::chrono::steady_clock::duration>(deadline - now,
                                                                                   std::chrono::milliseconds(10)));
        }
        if (m_failed.load())
            return false;
    }

    Slot& slot = m_ring[m_writeIndex];
    const uint32_t bytes = frames * m_format.nBlockAlign;
    if (slot.data.size() < bytes)
        slot.data.resize(bytes);
    m_converter.convert(block.data(), frames, m_format.nChannels, m_format.wBitsPerSample, dithering(),
                        noiseShaping(), m_quantError, slot.data.data());
    slot.bytes = bytes;
    m_writeIndex = (m_writeIndex + 1) % m_ringSize;
    m_framesDelivered.fetch_add(frames, std::memory_order_release);
    if (m_firstBlockAt.load(std::memory_order_relaxed) == 0)
        m_firstBlockAt.store(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 std::chrono::steady_clock::now().time_since_epoch())
                                 .count(),
                             std::memory_order_relaxed);
    if (m_queued.load(std::memory_order_acquire) == 0)
        m_lastProgress.store(nowMilliseconds(), std::memory_order_relaxed);
    m_queued.fetch_add(1, std::memory_order_release);
    m_producing.store(true, std::memory_order_release);
    return true;
}

WaveOutputDevice::RunFigures WaveOutputDevice::runFigures() const
{
    return {m_underruns.load(std::memory_order_relaxed), m_longestGap.load(std::memory_order_relaxed),
            m_longestGapAt.load(std::memory_order_relaxed), m_firstBlockAt.load(std::memory_order_relaxed)};
}

int WaveOutputDevice::streamCallback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                                     unsigned long, void* self)
{
    return static_cast<WaveOutputDevice*>(self)->play(static_cast<uint8_t*>(output), frames);
}

int WaveOutputDevice::play(uint8_t* out, unsigned long frames)
{
    const uint32_t align = m_format.nBlockAlign;
    const size_t wanted = static_cast<size_t>(frames) * align;
    size_t done = 0;
    bool returned = false;
    if (!m_started.load(std::memory_order_acquire) &&
        m_queued.load(std::memory_order_acquire) >= std::min(m_startBlocks.load(std::memory_order_relaxed), m_ringSize - 1))
        m_started.store(true, std::memory_order_release);
    while (done < wanted && m_started.load(std::memory_order_relaxed) && m_queued.load(std::memory_order_acquire) > 0) {
        const Slot& slot = m_ring[m_completedIndex];
        const size_t n = std::min<size_t>(slot.bytes - m_readOffset, wanted - done);
        std::memcpy(out + done, slot.data.data() + m_readOffset, n);
        done += n;
        m_readOffset += static_cast<uint32_t>(n);
        if (m_readOffset >= slot.bytes) {
            m_readOffset = 0;
            m_completedIndex = (m_completedIndex + 1) % m_ringSize;
            m_queued.fetch_sub(1, std::memory_order_release);
            returned = true;
        }
    }
    const uint32_t word = m_volume.load(std::memory_order_relaxed);
    if (word != kFullVolume && done > 0) {
        const float left = static_cast<float>(word & 0xFFFFu) / 65535.0f;
        const float right = m_format.nChannels > 1 ? static_cast<float>(word >> 16) / 65535.0f : left;
        PcmConverter::applyGain(out, static_cast<uint32_t>(done / align), m_format.nChannels,
                                m_format.wBitsPerSample, left, right);
    }
    // An empty ring plays silence (the midpoint for unsigned 8-bit samples).
    std::memset(out + done, m_format.wBitsPerSample == 8 ? 0x80 : 0, wanted - done);
    if (done < wanted && m_started.load(std::memory_order_relaxed) && m_producing.load(std::memory_order_acquire)) {
        if (m_gapFrames == 0)
            m_underruns.fetch_add(1, std::memory_order_relaxed);
        m_gapFrames += static_cast<int64_t>((wanted - done) / align);
        if (m_gapFrames > m_longestGap.load(std::memory_order_relaxed)) {
            m_longestGap.store(m_gapFrames, std::memory_order_relaxed);
            m_longestGapAt.store(m_framesPlayed.load(std::memory_order_relaxed) + static_cast<int64_t>(done / align) -
                                     (m_gapFrames - static_cast<int64_t>((wanted - done) / align)),
                                 std::memory_order_relaxed);
        }
    } else if (done > 0) {
        m_gapFrames = 0;
    }
    m_framesPlayed.fetch_add(static_cast<int64_t>(done / align), std::memory_order_release);
    if (returned) {
        m_lastProgress.store(nowMilliseconds(), std::memory_order_relaxed);
        m_returned.notify_all();
    }
    return paContinue;
}

void WaveOutputDevice::streamFinished(void* self)
{
    auto* device = static_cast<WaveOutputDevice*>(self);
    if (!device->m_stopping.load()) {
        device->m_failed.store(true);
        device->m_returned.notify_all();
    }
}

bool WaveOutputDevice::lastBufferDone() const
{
    if (m_queued.load(std::memory_order_acquire) == 0 || m_failed.load())
        return true;
    if (nowMilliseconds() - m_lastProgress.load(std::memory_order_relaxed) > m_returnTimeout.count()) {
        m_failed.store(true);
        return true;
    }
    return false;
}

void WaveOutputDevice::returnAllQueued()
{
    const uint32_t n = m_queued.load(std::memory_order_acquire);
    m_completedIndex = (m_completedIndex + n) % m_ringSize;
    m_readOffset = 0;
    m_queued.fetch_sub(n, std::memory_order_release);
}

void WaveOutputDevice::reset()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_stream)
            return;
        // With the stream aborted the callback no longer runs, so this thread may take
        // the buffers back in its place.
        m_stopping.store(true);
        m_producing.store(false);
        m_started.store(true);
        std::lock_guard api(PortAudioSession::streamMutex());
        Pa_AbortStream(m_stream);
        returnAllQueued();
        m_lastProgress.store(nowMilliseconds(), std::memory_order_relaxed);
        m_stopping.store(false);
        if (!m_failed.load() && Pa_StartStream(m_stream) != paNoError)
            m_failed.store(true);
    }
    m_returned.notify_all();
}

void WaveOutputDevice::close()
{
    if (!m_open.exchange(false, std::memory_order_acq_rel))
        return;
    {
        std::lock_guard lock(m_mutex);
        std::lock_guard api(PortAudioSession::streamMutex());
        m_stopping.store(true);
        // Stopping (not aborting) lets the sound already handed to the host play out; a
        // failed device would never finish that.
        if (Pa_IsStreamStopped(m_stream) == 0) {
            if (m_failed.load())
                Pa_AbortStream(m_stream);
            else
                Pa_StopStream(m_stream);
        }
        Pa_CloseStream(m_stream);
        m_stream = nullptr;
        returnAllQueued();
    }
    m_returned.notify_all();
    m_ring.reset();
    m_session.reset();
}

} // namespace quillon
