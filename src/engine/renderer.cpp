#include "engine/renderer.h"

#include "base/level.h"
#include "base/watched_mutex.h"
#include "engine/render_workers.h"
#include "engine/sample_sink.h"
#include "model/assignable_group.h"
#include "model/multitracker_doc.h"
#include "model/track.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>

namespace quillon {

namespace {

using DocGuard = std::lock_guard<WatchedMutex>;

float sliderGain(float v) { return static_cast<float>(level::sliderToGain(v)); }

} // namespace

// Everything one render call allocates before its first block.
struct Renderer::Setup {
    explicit Setup(const RenderRequest& r) : request(r) {}
    ~Setup()
    {
        for (size_t i = 0; i < tracks.size(); ++i)
            if (cursors[i])
                tracks[i]->releaseReadCursor(cursors[i]);
    }
    Setup(const Setup&) = delete;
    Setup& operator=(const Setup&) = delete;

    bool stopRequested(const std::atomic<bool>& docStop) const
    {
        return docStop.load(std::memory_order_acquire) ||
               (request.abort && request.abort->load(std::memory_order_acquire));
    }

    // One track's part of the current block, made by produceTrack().
    struct TrackPart {
        SampleBlock block;
        bool produced = false; // false: the track was silent for this block
        float volume = 0.0f;
        float pan = 0.5f;
    };

    const RenderRequest& request;
    int32_t blockFrames = 0;
    int32_t position = 0; // of the block being made
    std::vector<TrackPart> parts;
    std::unique_ptr<RenderWorkers> workers;
    SampleBlock masterBlock;
    std::vector<CTrack*> tracks;
    std::vector<TrackReadCursor*> cursors;
    std::vector<SampleBlock> groupBlocks;
    std::vector<float> sendLevels; // one track's sends, read under the document lock
};

Renderer::Renderer(CMultitrackerDoc& doc) : m_doc(doc) {}

int32_t Renderer::blockFrames(uint32_t sampleRate)
{
    return static_cast<int32_t>(static_cast<uint64_t>(sampleRate) * kBlockMilliseconds / 1000);
}

bool Renderer::canRender(const WAVEFORMATEX& projectFormat)
{
    return projectFormat.nChannels == kChannels && blockFrames(projectFormat.nSamplesPerSec) > 0;
}

void Renderer::mixAdd(float* __restrict dest, const float* __restrict src, int32_t frames, float gain, float pan)
{
    const float left = 2.0f * gain * std::min(1.0f - pan, 0.5f);
    const float right = 2.0f * gain * std::min(pan, 0.5f);
    for (int32_t f = 0; f < frames; ++f) {
        dest[2 * f] += src[2 * f] * left;
        dest[2 * f + 1] += src[2 * f + 1] * right;
    }
}

float Renderer::peak(const float* data, int32_t frames, int32_t channels, int32_t channel)
{
    float value = 0.0f;
    for (int32_t f = frames - 1; f >= kPeakStride; f -= kPeakStride)
        value = std::max(value, std::fabs(data[static_cast<size_t>(f) * channels + channel]));
    return value;
}

float Renderer::sendGain(float sendLevel, float trackVolume)
{
    if (sendLevel == 0.0f)
        return 0.0f;
    return static_cast<float>(level::dbToGain((double(sendLevel) + trackVolume) * 26.0 - 40.0));
}

Renderer::MasterGains Renderer::masterGains(float masterLevel, float masterPan, float extraGain)
{
    float g = sliderGain(masterLevel);
    if (extraGain >= 0.0f)
        g *= extraGain;
    MasterGains gains{g, g};
    if (masterPan < 0.5f)
        gains.right = g * 2.0f * masterPan;
    else
        gains.left = g * (2.0f - 2.0f * masterPan);
    return gains;
}

void Renderer::prepareEffects()
{
    const uint32_t rate = m_doc.sampleRate();
    const uint32_t channels = m_doc.format().nChannels;
    DocGuard guard(m_doc.lock());
    m_doc.masterChain().setFormat(rate, channels);
    for (int32_t i = 0, n = m_doc.trackCount(); i < n; ++i) {
        CTrack* track = m_doc.trackAt(i);
        std::lock_guard trackGuard(track->lock());
        track->effects().setFormat(rate, channels);
    }
    for (int32_t j = 0, n = m_doc.groupCount(); j < n; ++j)
        m_doc.groupAt(j)->chain().setFormat(rate, channels);
}

double Renderer::masterLengthFactor() const
{
    DocGuard guard(m_doc.lock());
    return m_doc.masterChain().lengthFactor();
}

int Renderer::render(const RenderRequest& request)
{
    if (!canRender(m_doc.format()))
        return 0;
    std::atomic<bool>& stop = m_doc.stopRequest();
    std::atomic<int32_t>& position = m_doc.renderPosition();
    const SampleRange range = request.range;

    RenderThreadMark mark;
    Setup s(request);
    const int32_t B = s.blockFrames = blockFrames(m_doc.sampleRate());
    const uint32_t bytesPerFrame = kChannels * sizeof(float);

    stop.store(false, std::memory_order_release);
    prepareEffects();
    // Room for a master chain that lengthens blocks, never less than one block, and
    // never the absurd size a faulty plug-in's factor would ask for.
    const double asked = masterLengthFactor();
    const double factor = asked >= 1.0 ? std::min(asked, kMaxLengthFactor) : 1.0; // NaN too
    s.masterBlock.allocate(static_cast<uint32_t>(factor * B), bytesPerFrame);
    position.store(range.begin, std::memory_order_release);
    {
        DocGuard guard(m_doc.lock());
        const int32_t n = m_doc.trackCount();
        s.tracks.reserve(static_cast<size_t>(n));
        s.cursors.assign(static_cast<size_t>(n), nullptr);
        for (int32_t i = 0; i < n; ++i)
            s.tracks.push_back(m_doc.trackAt(i));
        s.parts.resize(static_cast<size_t>(n));
        for (Setup::TrackPart& part : s.parts)
            part.block.allocate(static_cast<uint32_t>(B), bytesPerFrame);
        const int32_t groups = m_doc.groupCount();
        s.groupBlocks.resize(static_cast<size_t>(groups));
        for (SampleBlock& g : s.groupBlocks)
            g.allocate(static_cast<uint32_t>(B), bytesPerFrame);
        s.sendLevels.assign(static_cast<size_t>(groups), 0.0f);
    }
    for (size_t i = 0; i < s.tracks.size(); ++i)
        s.cursors[i] = s.tracks[i]->createReadCursor();
    const auto trackCount = static_cast<int32_t>(s.tracks.size());
    s.workers = std::make_unique<RenderWorkers>(RenderWorkers::threadsFor(trackCount));
    auto produce = [this, &s](int32_t i) { produceTrack(s, i); };
    if (request.peakOut)
        *request.peakOut = 0.0f;

    for (;;) {
        const int32_t at = position.load(std::memory_order_acquire);
        if (at >= range.end || s.stopRequested(stop))
            break;

        s.masterBlock.resize(static_cast<uint32_t>(B), false);
        const MasterGains gains = masterGains(m_doc.masterLevel(), m_doc.masterPan(), request.extraGain);
        s.masterBlock.zero();
        for (SampleBlock& g : s.groupBlocks)
            g.zero();

        // Tracks are read side by side, then mixed in track order as always, so the sum
        // is the same whatever thread made which track.
        s.position = at;
        s.workers->run(trackCount, produce);
        int32_t frames;
        {
            // One hold per block for sends, groups and the master chain: the user
            // interface changes those lists only for the moment it takes to move a
            // pointer.
            DocGuard guard(m_doc.lock());
            for (int32_t i = 0; i < trackCount; ++i)
                mixTrack(s, i);
            mixGroups(s);
            frames = m_doc.masterChain().process(s.masterBlock.data(), B, kChannels,
                                                 static_cast<int>(s.masterBlock.capacityFrames()));
        }
        frames = std::clamp<int32_t>(frames, 0, static_cast<int32_t>(s.masterBlock.capacityFrames()));
        s.masterBlock.resize(static_cast<uint32_t>(frames), true);
        float* master = s.masterBlock.data();
        for (int32_t f = frames - 1; f >= 0; --f) {
            master[2 * f] *= gains.left;
            master[2 * f + 1] *= gains.right;
        }

        if (request.sink) {
            // A file ends where its range ends; the frames rendered past it (the block
            // is whole) belong to the next file, if to any.
            if (!request.loop && request.sink->holdsExactRange() && int64_t(at) + frames > range.end)
                s.masterBlock.resize(static_cast<uint32_t>(std::max<int64_t>(0, int64_t(range.end) - at)), true);
            if (!request.sink->acceptBlock(s.masterBlock))
                break; // nowhere for the audio to go
        }

        const float left = peak(master, frames, kChannels, 0);
        const float right = peak(master, frames, kChannels, 1);
        m_doc.masterPeakLeft().store(left, std::memory_order_relaxed);
        m_doc.masterPeakRight().store(right, std::memory_order_relaxed);
        if (request.peakOut)
            *request.peakOut = std::max(*request.peakOut, std::max(left, right));

        // A jump made by the user interface during this block wins over the advance.
        int32_t expected = at;
        const int64_t next = int64_t(at) + B;
        if (next >= range.end && request.loop) {
            if (position.compare_exchange_strong(expected, range.begin, std::memory_order_acq_rel) &&
                request.loopOffset)
                request.loopOffset->fetch_sub(range.length(), std::memory_order_acq_rel);
        } else {
            const auto clamped = static_cast<int32_t>(std::min<int64_t>(next, std::numeric_limits<int32_t>::max()));
            position.compare_exchange_strong(expected, clamped, std::memory_order_acq_rel);
            if (next > std::numeric_limits<int32_t>::max())
                break; // the end of the timeline
        }
    }
    if (request.sink)
        request.sink->finish();
    return 1;
}

void Renderer::produceTrack(Setup& s, int32_t index)
{
    CTrack* track = s.tracks[static_cast<size_t>(index)];
    Setup::TrackPart& part = s.parts[static_cast<size_t>(index)];
    part.volume = track->volume();
    part.pan = track->pan();
    part.produced = track->isActive() && track->playbackOff() == 0 && part.volume != 0.0f;
    if (!part.produced)
        return;
    TrackReadCursor* cursor = s.cursors[static_cast<size_t>(index)];
    track->positionReadCursor(cursor, s.position);
    track->read(cursor, part.block.data(), s.blockFrames);
}

void Renderer::mixTrack(Setup& s, int32_t index)
{
    const Setup::TrackPart& part = s.parts[static_cast<size_t>(index)];
    if (!part.produced) {
        m_doc.setTrackPeaks(index, 0.0f, 0.0f);
        return;
    }
    const float volume = part.volume;
    const float gain = sliderGain(volume);
    const float pan = part.pan;
    const int32_t B = s.blockFrames;
    const float* block = part.block.data();
    mixAdd(s.masterBlock.data(), block, B, gain, pan);

    // Groups may have gone since the set-up; only those that still exist get a send.
    // The caller holds the document lock.
    const int32_t sends = std::min(m_doc.groupCount(), static_cast<int32_t>(s.groupBlocks.size()));
    for (int32_t j = 0; j < sends; ++j)
        s.sendLevels[static_cast<size_t>(j)] = m_doc.groupAt(j)->sendLevelValue(index);
    for (int32_t j = sends - 1; j >= 0; --j) {
        const float g = sendGain(s.sendLevels[static_cast<size_t>(j)], volume);
        if (g != 0.0f)
            mixAdd(s.groupBlocks[static_cast<size_t>(j)].data(), block, B, g, pan);
    }

    m_doc.setTrackPeaks(index, peak(block, B, kChannels, 0) * gain, peak(block, B, kChannels, 1) * gain);
}

void Renderer::mixGroups(Setup& s)
{
    const int32_t B = s.blockFrames;
    // The caller holds the document lock.
    const int32_t n = std::min(m_doc.groupCount(), static_cast<int32_t>(s.groupBlocks.size()));
    for (int32_t j = 0; j < n; ++j) {
        SampleBlock& block = s.groupBlocks[static_cast<size_t>(j)];
        const int32_t frames = m_doc.groupAt(j)->chain().process(block.data(), B, kChannels, B);
        mixAdd(s.masterBlock.data(), block.data(), std::clamp(frames, 0, B), 1.0f, 0.5f);
    }
}

float Renderer::measurePeak(const SampleRange& range)
{
    float value = 0.0f;
    RenderRequest request;
    request.range = range;
    request.extraGain = 1.0f;
    request.peakOut = &value;
    render(request);
    return value;
}

} // namespace quillon
