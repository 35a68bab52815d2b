#include "engine/recording_thread.h"

#include "engine/pcm_converter.h"
#include "engine/wave_input_device.h"
#include "plugins/class_com.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace quillon {

namespace {

constexpr uint32_t kMeasureRun = 256;
constexpr std::chrono::milliseconds kReadWait{100};

} // namespace

RecordingThread::~RecordingThread()
{
    if (m_thread.joinable()) {
        m_state.requestStop();
        m_thread.join();
    }
}

void RecordingThread::start()
{
    m_thread = std::thread([this] { run(); });
}

void RecordingThread::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void RecordingThread::measurePeaks(const uint8_t* data, uint32_t frames, const WAVEFORMATEX& format, float& left,
                                   float& right)
{
    left = right = 0.0f;
    const uint32_t sampleBytes = format.wBitsPerSample / 8u;
    const uint32_t align = format.nBlockAlign;
    const uint32_t measured = frames / kMeasureRun * kMeasureRun;
    for (uint32_t f = 0; f < measured; ++f) {
        const uint8_t* frame = data + static_cast<size_t>(f) * align;
        left = std::max(left, std::fabs(PcmConverter::toFloat(frame, format.wBitsPerSample)));
        if (format.nChannels > 1)
            right = std::max(right, std::fabs(PcmConverter::toFloat(frame + sampleBytes, format.wBitsPerSample)));
    }
}

bool RecordingThread::createFile(const std::string& path)
{
    try {
        return m_state.fileFilter().createDestination(path, m_state.format(), false);
    } catch (const ClassCom&) {
        return false;
    }
}

void RecordingThread::run()
{
    const WAVEFORMATEX& format = m_state.format();
    WaveInputDevice device;
    device.setStallLimit(m_stallLimit);
    if (device.open(m_state.inputDevice(), format, format.nSamplesPerSec / 10) != WaveInputDevice::kOpened) {
        m_state.postMessage(RecordingState::kOpenErrorText);
        m_state.setDeviceError();
        m_state.releaseFileFilter();
        m_state.setFinished();
        return;
    }

    std::vector<uint8_t> buffer(device.bufferBytes());
    const uint32_t frames = device.framesPerBuffer();
    std::string currentTarget;
    bool fileOpen = false;
    int32_t silentBuffers = 0;

    while (!m_state.stopRequested()) {
        const WaveInputDevice::ReadResult result = device.read(buffer.data(), kReadWait);
        if (result == WaveInputDevice::ReadResult::Waiting)
            continue;
        if (result == WaveInputDevice::ReadResult::Failed) {
            m_state.setDeviceError();
            m_state.setPaused(true);
            m_state.postMessage(RecordingState::kDeviceFailedText);
            break;
        }
        m_state.countBuffer();

        float left = 0.0f, right = 0.0f;
        measurePeaks(buffer.data(), frames, format, left, right);
        m_state.setPeaks(left, right);

        if (m_state.takeNewFileRequest()) {
            const std::string target = m_state.targetPath();
            fileOpen = createFile(target);
            if (!fileOpen) {
                m_state.setPaused(true);
                m_state.postMessage(PromptText(RecordingState::kCreateErrorText).arg(target));
            } else {
                // Changing the target discards what the previous target held. Only once
                // the new file exists, so that a failed change loses nothing.
                if (!currentTarget.empty() && currentTarget != target) {
                    std::error_code ec;
                    std::filesystem::remove(currentTarget, ec);
                }
                currentTarget = target;
            }
        }

        if (m_state.isPaused())
            continue;
        if (!fileOpen) {
            // Nothing can be recorded without a file; stay paused until a new target.
            m_state.setPaused(true);
            continue;
        }
        try {
            m_state.fileFilter().write(buffer.data(), frames);
        } catch (const ClassCom&) {
            // A full disk: the file keeps what was written; recording pauses.
            m_state.setWriteError();
            m_state.setPaused(true);
            m_state.postMessage(PromptText(RecordingState::kWriteErrorText).arg(currentTarget));
            continue;
        }
        m_state.addRecordedFrames(frames);

        const int32_t limit = m_state.silenceLimit();
        if (limit > 0) {
            if (left + right > 0.1f) {
                silentBuffers = 0;
            } else if (++silentBuffers >= limit) {
                silentBuffers = 0;
                m_state.setPaused(true);
            }
        }
    }

    device.close();
    m_state.releaseFileFilter();
    m_state.setFinished();
}

} // namespace quillon
