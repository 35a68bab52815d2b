#pragma once
// The program's callbacks as the drives use them: one place that knows which may be
// null and what their answers mean.
#include <quillon/varda_api.h>
#include <string>

namespace varda {

class BurnCallbacks {
public:
    BurnCallbacks(const VardaBurnSettings& settings, const VardaProgress* progress)
        : m_settings(settings), m_progress(progress)
    {
    }
    // Reports progress; false when the program wants to stop.
    bool report(int percent);
    // False when the program wants to stop (idle or aborted callback).
    bool carryOn();
    void phase(const std::string& text);
    void log(const std::string& line);
    // The user-dialog answer; `fallback` without a callback.
    int32_t ask(int32_t request, void* data, int32_t fallback);

private:
    const VardaBurnSettings& m_settings;
    const VardaProgress* m_progress;
    int m_lastPercent = -1;
};

} // namespace varda
