#include "cd_erase_routine.h"

#include "base/prompter.h"
#include "cd/burner_library.h"
#include <atomic>
#include <chrono>
#include <thread>

namespace quillon {

bool CdEraseRoutine::run(void* device, int32_t method, const Progress& progress)
{
    if (!device) {
        m_prompter.showMessage(kNoDeviceText, PromptIcon::Error);
        return false;
    }
    const int32_t expected = m_library.erasingTime(device, method);
    if (expected < 0) {
        const char* text = expected == VARDA_ERASE_NOT_SUPPORTED    ? kNoCdrwSupportText
                           : expected == VARDA_ERASE_NOT_REWRITABLE ? kNotRewritableText
                                                                    : kNoCdrwText;
        m_prompter.showMessage(text, PromptIcon::Error);
        return false;
    }
    std::atomic<bool> done{false};
    std::atomic<int32_t> result{0};
    std::thread worker([&] {
        result.store(m_library.eraseDisc(device, method));
        done.store(true, std::memory_order_release);
    });
    const auto start = std::chrono::steady_clock::now();
    while (!done.load(std::memory_order_acquire)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMilliseconds));
        if (progress)
            progress(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), expected);
    }
    worker.join();
    // A negative result is a failed erase, whatever the estimate said.
    if (result.load() < 0) {
        m_prompter.showMessage(m_library.lastError(), PromptIcon::Error);
        return false;
    }
    return true;
}

} // namespace quillon
