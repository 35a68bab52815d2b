#include "burn_callbacks.h"

namespace varda {

bool BurnCallbacks::report(int percent)
{
    if (percent != m_lastPercent && m_progress && m_progress->progress) {
        m_lastPercent = percent;
        if (m_progress->progress(m_progress->user, percent) == 0)
            return false;
    }
    return carryOn();
}

bool BurnCallbacks::carryOn()
{
    if (m_settings.idle && m_settings.idle(m_settings.idleUser) != 0)
        return false;
    return !(m_progress && m_progress->aborted && m_progress->aborted(m_progress->user) != 0);
}

void BurnCallbacks::phase(const std::string& text)
{
    if (m_progress && m_progress->phase)
        m_progress->phase(m_progress->user, text.c_str());
}

void BurnCallbacks::log(const std::string& line)
{
    if (m_progress && m_progress->logLine)
        m_progress->logLine(m_progress->user, line.c_str());
}

int32_t BurnCallbacks::ask(int32_t request, void* data, int32_t fallback)
{
    if (!m_settings.userDialog)
        return fallback;
    return m_settings.userDialog(m_settings.userDialogUser, request, data);
}

} // namespace varda
