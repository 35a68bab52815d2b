#include "model/audio_clip.h"
#include "model/source_relinker.h"

#include "base/archive.h"
#include "base/memory_stream.h"
#include "base/prompter.h"
#include "base/wave_format.h"
#include "plugins/plugin_host.h"

#include <cmath>
#include <mutex>

namespace quillon {

QUILLON_IMPLEMENT_SERIAL(CAudioClip, 1)

namespace {
constexpr QuillonIdentifier kSinkId = QUILLON_IID_CLIP_SINK;

std::mutex g_dispatchMutex;

// The path of the source a filter holds (or last tried to open); empty when it cannot tell.
std::string sourcePathOf(const FileFilter& filter)
{
    try {
        return filter.sourcePath();
    } catch (const ClassCom&) {
        return {};
    }
}
std::function<void(CAudioClip*)> g_dispatcher;
} // namespace

CAudioClip::CAudioClip() = default;

CAudioClip::CAudioClip(const WAVEFORMATEX* projectFormat)
{
    if (projectFormat)
        setProjectFormat(projectFormat);
}

CAudioClip::CAudioClip(PluginInstance filter, const WAVEFORMATEX* projectFormat, int32_t start)
    : m_filter(std::move(filter))
{
    m_projectFormat = projectFormat;
    if (m_filter.isValid())
        finishOpen(start);
    if (projectFormat)
        setProjectFormat(projectFormat);
}

CAudioClip::~CAudioClip()
{
    m_outgoing.reset();
    // The filter must not call back into a clip that is going away.
    if (m_filter.isValid()) {
        try {
            m_filter.setNotificationSink(QuillonInterface{});
        } catch (const ClassCom&) {
        }
    }
}

PluginHost& CAudioClip::host()
{
    PluginHost* h = PluginHost::current();
    if (!h)
        throw ClassCom(QUILLON_E_NO_CLASS);
    return *h;
}

void CAudioClip::setNotificationDispatcher(std::function<void(CAudioClip*)> dispatcher)
{
    std::lock_guard lock(g_dispatchMutex);
    g_dispatcher = std::move(dispatcher);
}

bool CAudioClip::finishOpen(int32_t start)
{
    m_filter.setNotificationSink(makeRecord(kSinkId));
    if (m_projectFormat)
        m_filter.setOutputFormat(m_outputFormat.nChannels ? m_outputFormat : floatCopy(*m_projectFormat));
    const int32_t len = m_filter.length();
    m_position = {start, static_cast<int32_t>(start + int64_t(len))};
    return true;
}

bool CAudioClip::openFile(int32_t start, const std::string& fileName, Prompter* prompter)
{
    try {
        m_filter = FileFilter::create(host());
    } catch (const ClassCom&) {
        if (prompter)
            prompter->showMessage(kClassComMessage, PromptIcon::Error);
        return false;
    }
    if (!m_filter.openFile(fileName)) {
        m_filter = FileFilter();
        return false;
    }
    finishOpen(start);
    m_fileName = fileName;
    return true;
}

bool CAudioClip::openState(int32_t start, const void* state, size_t size, std::string* failedPath)
{
    m_filter = FileFilter::create(host());
    if (!m_filter.openState(state, static_cast<uint32_t>(size))) {
        if (failedPath)
            *failedPath = sourcePathOf(m_filter);
        m_filter = FileFilter();
        return false;
    }
    finishOpen(start);
    m_fileName = sourcePathOf(m_filter);
    return true;
}

void CAudioClip::setProjectFormat(const WAVEFORMATEX* projectFormat)
{
    m_projectFormat = projectFormat;
    if (!projectFormat)
        return;
    m_outputFormat = floatCopy(*projectFormat);
    if (m_outgoing)
        m_outgoing->bind(m_outputFormat);
    if (m_incoming)
        m_incoming->bind(m_outputFormat);
    if (!m_filter.isValid())
        return;
    m_filter.setOutputFormat(m_outputFormat);
    const int32_t len = m_filter.length();
    m_position.end = static_cast<int32_t>(std::lround(double(len) * m_timeScaleRatio) + m_position.begin);
}

void CAudioClip::setTimeScaleRatio(float ratio)
{
    if (m_filter.isValid())
        m_filter.setTimeScaleRatio(ratio);
    m_timeScaleRatio = ratio;
}

void CAudioClip::setTransitionScale(int32_t length, int32_t flags, float ratio)
{
    if (!m_filter.isValid())
        return;
    m_filter.setTransitionScale(length, flags, ratio);
    // A clip just read from a project has no output format yet and its filter counts
    // source frames: the stored end holds until the format comes (setProjectFormat), or
    // the track's crossfade rebuild would see clips of other rates shrink or grow.
    if (!m_projectFormat)
        return;
    const int32_t len = m_filter.length();
    m_position.end = static_cast<int32_t>(std::lround(double(len) * m_timeScaleRatio) + m_position.begin);
}

void CAudioClip::moveTo(int32_t start)
{
    const int32_t len = m_position.length();
    m_position = {start, start + len};
}

void CAudioClip::setOutgoing(std::unique_ptr<Crossfade> crossfade)
{
    m_outgoing = std::move(crossfade);
}

std::unique_ptr<Crossfade> CAudioClip::takeOutgoing() { return std::move(m_outgoing); }

int32_t CAudioClip::fadeInLength() const { return m_incoming ? m_incoming->length() : 0; }
int32_t CAudioClip::fadeOutLength() const { return m_outgoing ? m_outgoing->length() : 0; }

int32_t CAudioClip::onCommand(uint32_t code, void*, uint32_t)
{
    if (code != QUILLON_SINK_SOURCE_CHANGED)
        return 1;
    std::function<void(CAudioClip*)> dispatcher;
    {
        std::lock_guard lock(g_dispatchMutex);
        dispatcher = g_dispatcher;
    }
    if (dispatcher)
        dispatcher(this);
    else
        sourceChanged();
    return 0;
}

void CAudioClip::sourceChanged()
{
    if (m_filter.isValid()) {
        const int32_t len = m_filter.length();
        m_position.end = static_cast<int32_t>(m_position.begin + int64_t(len));
    }
    dropPeakCaches();
    if (m_changeListener)
        m_changeListener(this);
}

void CAudioClip::dropPeakCaches()
{
    // This clip and every clip that follows through outgoing crossfades.
    CAudioClip* c = this;
    for (size_t guard = 0; c && guard < 100000; ++guard) {
        c->m_peakGeneration.fetch_add(1);
        c = c->m_outgoing ? c->m_outgoing->incoming() : nullptr;
        if (c == this)
            break;
    }
}

void CAudioClip::editInWaveEditor()
{
    if (!m_filter.isValid())
        return;
    const size_t slash = m_fileName.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? m_fileName : m_fileName.substr(slash + 1);
    m_filter.editInWaveEditor(name);
}

std::unique_ptr<CAudioClip> CAudioClip::duplicate() const
{
    MemoryStream stream;
    {
        CArchive out(stream, CArchive::Mode::Store);
        const_cast<CAudioClip*>(this)->serialize(out);
    }
    stream.seekToBegin();
    auto copy = std::make_unique<CAudioClip>(m_projectFormat);
    CArchive in(stream, CArchive::Mode::Load);
    copy->serialize(in);
    if (m_projectFormat)
        copy->setProjectFormat(m_projectFormat);
    copy->m_selected = m_selected;
    return copy;
}

float CAudioClip::tempoAt(int32_t sourcePosition) { return m_filter.tempo(sourcePosition); }
int32_t CAudioClip::sourceLength() { return m_filter.length(); }
WAVEFORMATEX CAudioClip::sourceFormat() { return m_filter.sourceFormat(); }
uint32_t CAudioClip::peakProgress() { return m_filter.peakProgress(); }

uint32_t CAudioClip::openReader() { return m_filter.createReader(); }
void CAudioClip::closeReader(uint32_t reader) { m_filter.closeReader(reader); }

void CAudioClip::readAt(uint32_t reader, int32_t offset, float* dest, int32_t frames)
{
    m_filter.seekReader(reader, offset);
    m_filter.read(reader, dest, static_cast<uint32_t>(frames));
}

void CAudioClip::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        std::vector<uint8_t> state = m_filter.isValid() ? m_filter.saveState() : std::vector<uint8_t>();
        float rateRatio = 1.0f;
        if (m_filter.isValid()) {
            const WAVEFORMATEX src = m_filter.sourceFormat();
            const uint32_t outRate = m_outputFormat.nSamplesPerSec ? m_outputFormat.nSamplesPerSec : src.nSamplesPerSec;
            if (src.nSamplesPerSec)
                rateRatio = static_cast<float>(double(outRate) / double(src.nSamplesPerSec));
        }
        ar.writeI32(m_position.begin);
        ar.writeI32(m_position.end);
        ar.writeU32(m_colour);
        ar.writeU32(static_cast<uint32_t>(state.size()));
        ar.writeFloat(rateRatio);
        ar.writeBytes(state.data(), state.size());
        return;
    }
    const int32_t start = ar.readI32();
    const int32_t end = ar.readI32();
    m_colour = ar.readU32();
    const uint32_t size = ar.readU32();
    const float rateRatio = ar.readFloat();
    if (size > ar.stream().remaining())
        throw ArchiveException(ArchiveException::Kind::EndOfFile);
    std::vector<uint8_t> state(size);
    ar.readBytes(state.data(), size);

    bool opened = false;
    std::string failedPath;
    try {
        opened = openState(start, state.data(), state.size(), &failedPath);
    } catch (const ClassCom&) {
        opened = false;
    }
    if (!opened) {
        if (SourceRelinker* relinker = SourceRelinker::active()) {
            // A moved source: found elsewhere the clip opens it; found nowhere the clip
            // stays without a source, and the track leaves it out.
            std::vector<uint8_t> moved;
            try {
                moved = relinker->relink(FileFilter::create(host()), state, failedPath);
                opened = !moved.empty() && openState(start, moved.data(), moved.size());
            } catch (const ClassCom&) {
                opened = false;
            }
            if (!opened) {
                m_filter = FileFilter();
                m_fileName = failedPath;
                m_position = SampleRange(start, end);
                return;
            }
        }
    }
    if (!opened) {
        // Name the source so the user knows what to restore.
        const std::string name = failedPath;
        throw ArchiveException(ArchiveException::Kind::Generic,
                               name.empty() ? PromptText("An audio file of the project cannot be opened.")
                                            : PromptText("The audio file \"%1\" cannot be opened.").arg(name));
    }
    if (m_position.end != end) {
        const double sourceLength = double(m_filter.length()) * rateRatio;
        // A source at another rate reopens a frame or so away from the stored end;
        // that is not a stretch.
        if (sourceLength > 0 && std::fabs((end - start) - sourceLength) > 1.0)
            setTimeScaleRatio(static_cast<float>((end - start) / sourceLength));
        m_position.end = end;
    }
}

} // namespace quillon
