#include "app/engine_transport.h"

#include "model/multitracker_doc.h"
#include "ui/multitracker_view.h"

#include <QMetaObject>
#include <QPointer>

namespace quillon {

EngineTransport::EngineTransport(CMultitrackerDoc& doc, SettingsStore& settings, CMultitrackerView& view)
    : m_doc(doc), m_transport(doc, settings)
{
    // The playback thread announces the open device; the timer belongs to the view's
    // thread, so the start is posted there.
    QPointer<CMultitrackerView> target = &view;
    m_transport.setTimerStarter([target] {
        if (target)
            QMetaObject::invokeMethod(target, [target] {
                if (target)
                    target->startPlayTimer();
            }, Qt::QueuedConnection);
    });
}

EngineTransport::~EngineTransport()
{
    m_transport.setTimerStarter({});
    m_transport.stopPlayback();
}

void EngineTransport::play(const SampleRange& range, const std::vector<int32_t>* tracks, bool loop)
{
    m_transport.play(range, tracks, loop);
}

void EngineTransport::stopCommand() { m_transport.stopCommand(); }

void EngineTransport::jumpTo(int32_t position)
{
    if (m_transport.isPlaying())
        m_transport.jumpTo(position);
    else
        m_doc.setCursor(position);
}

bool EngineTransport::updatePlayPosition() { return m_transport.updatePlayPosition(); }

void EngineTransport::scrub(int32_t step) { m_transport.scrubStep(step); }

void EngineTransport::previousLabel() { m_transport.previousLabel(); }

void EngineTransport::nextLabel() { m_transport.nextLabel(); }

void EngineTransport::stopPlayback() { m_transport.stopPlayback(); }

bool EngineTransport::isPlaying() const { return m_transport.isPlaying(); }

} // namespace quillon
