#include "engine/transport.h"

#include "base/settings_store.h"
#include "base/prompter.h"
#include "base/view_hints.h"
#include "engine/renderer.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/project_label.h"
#include "model/track.h"
#include "plugins/class_com.h"

#include <algorithm>
#include <chrono>
#include <climits>

namespace quillon {

namespace {
using namespace std::chrono_literals;
} // namespace

Transport::Transport(CMultitrackerDoc& doc, SettingsStore& settings) : m_doc(doc), m_settings(settings)
{
    m_doc.setPlaybackControl(this);
}

Transport::~Transport()
{
    m_device.reset();
    stopPlayback();
    m_doc.setPlaybackControl(nullptr);
}

bool Transport::isPlaying() const { return m_active.load(std::memory_order_acquire); }

std::string Transport::lastError() const
{
    std::lock_guard lock(m_errorMutex);
    return m_lastError.english();
}

Transport::PlayResult Transport::playFromCursor()
{
    const SampleRange marked = m_doc.markedSection();
    const SampleRange range = marked.length() != 0 ? marked : SampleRange(m_doc.cursor(), kOpenEnd);
    return play(range, nullptr, m_doc.loopPlayback().load());
}

Transport::PlayResult Transport::playAll() { return play({0, kOpenEnd}, nullptr, m_doc.loopPlayback().load()); }

void Transport::toggleLoop() { m_doc.loopPlayback().store(!m_doc.loopPlayback().load()); }

Transport::PlayResult Transport::play(const SampleRange& range, const std::vector<int32_t>* tracks, bool loop)
{
    m_device.setDithering(m_settings.profileInt("Audio", "Dithering", 0) != 0);
    m_device.setNoiseShaping(m_settings.profileInt("Audio", "NoiseShaping", 1) != 0);
    m_device.setStartBlocks(kStartBlocks);
    {
        std::lock_guard lock(m_doc.lock());
        const int32_t count = m_doc.trackCount();
        for (int32_t i = 0; i < count; ++i)
            m_doc.trackAt(i)->setPlaybackOff(tracks ? 1 : 0);
        if (tracks)
            for (int32_t i : *tracks)
                if (i >= 0 && i < count)
                    m_doc.trackAt(i)->setPlaybackOff(0);
    }
    if (isPlaying() || !m_device.isClosed()) {
        stopPlayback();
        return PlayResult::Stopped;
    }
    join();
    m_range = range;
    m_loop = loop;
    m_startCursor = m_doc.cursor();
    m_loopOffset.store(0);
    m_error.store(false);
    m_abort.store(false);
    {
        std::lock_guard lock(m_errorMutex);
        m_lastError = PromptText();
    }
    m_active.store(true, std::memory_order_release);
    m_thread = std::thread([this] { threadMain(); });
    // The thread opens the device; wait until it has, or has failed to.
    while (m_device.isClosed() && !m_error.load() && m_active.load())
        std::this_thread::sleep_for(10ms);
    PlayResult result = PlayResult::Started;
    if (m_error.load()) {
        join();
        m_doc.prompter().showMessage(kDeviceErrorText, PromptIcon::Error);
        result = PlayResult::DeviceError;
    }
    m_doc.updateAllViews(kHintRefresh);
    return result;
}

void Transport::threadMain()
{
    const int device = m_deviceOverride ? *m_deviceOverride : m_settings.profileInt("Devices", "Output", -1);
    const WAVEFORMATEX& f = m_doc.format();
    if (!m_device.open(f.nSamplesPerSec, f.nChannels, f.wBitsPerSample ? f.wBitsPerSample : 16, device, kRingSize)) {
        m_error.store(true);
        m_active.store(false, std::memory_order_release);
        return;
    }
    if (m_timerStarter)
        m_timerStarter();
    try {
        Renderer renderer(m_doc);
        RenderRequest request;
        request.sink = &m_device;
        request.range = m_range;
        request.extraGain = -1.0f;
        request.loop = m_loop;
        request.loopOffset = &m_loopOffset;
        request.abort = &m_abort;
        renderer.render(request);
    } catch (const ClassCom& e) {
        std::lock_guard lock(m_errorMutex);
        m_lastError = PromptText("%1 (code %2)").arg(PromptText(kClassComMessage)).arg(e.code());
    } catch (const std::exception& e) {
        std::lock_guard lock(m_errorMutex);
        m_lastError = PromptText(e.what());
    }
    // A render that ended by an error did not finish the sink: what it queued still plays.
    m_device.finish();
    // Let the queued audio play out unless asked to stop; a reset returns it at once.
    while (!m_device.lastBufferDone() && !m_device.hasFailed() && !m_abort.load())
        std::this_thread::sleep_for(10ms);
    m_device.close();
    m_active.store(false, std::memory_order_release);
}

void Transport::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void Transport::stopPlayback()
{
    m_doc.stopRequest().store(true);
    m_abort.store(true);
    // The render loop sees the request within one block; the thread then ends.
    while (isPlaying())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    join();
}

void Transport::stopCommand()
{
    m_device.reset();
    stopPlayback();
    const SampleRange marked = m_doc.markedSection();
    if (marked.length() != 0)
        m_doc.setCursor(marked.begin);
    m_doc.updateAllViews(kHintRefresh);
}

bool Transport::updatePlayPosition()
{
    if (!isPlaying()) {
        join();
        {
            std::lock_guard lock(m_doc.lock());
            for (int32_t i = 0; i < m_doc.trackCount(); ++i)
                m_doc.trackAt(i)->setPlaybackOff(1);
        }
        PromptText error;
        {
            std::lock_guard lock(m_errorMutex);
            error = m_lastError;
        }
        if (!error.empty()) {
            m_doc.prompter().showMessage(error, PromptIcon::Error);
            std::lock_guard lock(m_errorMutex);
            m_lastError = PromptText();
        }
        m_doc.updateAllViews(kHintPlaybackOver);
        return false;
    }
    m_doc.updateAllViews(kHintPlayPosition);
    int64_t shown = m_device.framesDone() + m_loopOffset.load() + m_range.begin;
    // The renderer lowers the loop offset when it renders a wrap, up to a ring of buffers
    // before the wrap is heard; until then the audio still comes from the end of the
    // previous lap, so show it there rather than before the range.
    const int64_t lap = int64_t(m_range.end) - m_range.begin;
    if (m_loop && lap > 0 && shown < m_range.begin)
        shown += ((m_range.begin - shown + lap - 1) / lap) * lap;
    m_doc.setCursor(static_cast<int32_t>(std::clamp<int64_t>(shown, INT32_MIN, INT32_MAX)));
    return true;
}

void Transport::moveCursorAndRender(int32_t position)
{
    m_doc.setCursor(position);
    const int32_t old = m_doc.renderPosition().exchange(position);
    m_loopOffset.fetch_add(position - old);
}

void Transport::jumpTo(int32_t position) { moveCursorAndRender(position); }

void Transport::previousLabel()
{
    const int32_t cursor = m_doc.cursor();
    int32_t target = 0;
    CLabelList::Cursor walk;
    for (ProjectLabel* l = m_doc.labels().first(walk); l; l = m_doc.labels().next(walk))
        if (l->position < cursor)
            target = l->position;
    moveCursorAndRender(target);
    m_doc.updateAllViews(kHintRefresh);
}

void Transport::nextLabel()
{
    const int32_t cursor = m_doc.cursor();
    std::optional<int32_t> target;
    CLabelList::Cursor walk;
    for (ProjectLabel* l = m_doc.labels().first(walk); l; l = m_doc.labels().next(walk))
        if (l->position > cursor) {
            target = l->position;
            break;
        }
    if (!target) {
        const int32_t end = m_doc.projectEnd();
        target = cursor > end ? cursor : end;
    }
    moveCursorAndRender(*target);
    m_doc.updateAllViews(kHintRefresh);
}

void Transport::scrubStep(int step)
{
    const int32_t delta = static_cast<int32_t>(int64_t(step) * m_doc.sampleRate() / 25);
    moveCursorAndRender(m_doc.cursor() + delta);
    m_doc.updateAllViews(kHintRefresh);
}

} // namespace quillon
