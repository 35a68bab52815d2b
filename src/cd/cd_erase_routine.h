#pragma once
// Erasing a CD-RW: ask the library how long it will take (a negative answer names what
// is wrong), run the erase on a worker thread, and report the elapsed time against the
// estimate until it ends.
//
// Threads: run() on the owner's thread; the erase runs on its own thread, which has
// ended when run() returns.
#include <cstdint>
#include <functional>
#include <string>

namespace quillon {

class BurnerLibrary;
class Prompter;

class CdEraseRoutine {
public:
    static constexpr const char* kNoDeviceText = "VardaAPI was not able to open the selected CD device.";
    static constexpr const char* kNoCdrwText = "There is no CD-RW in the recorder";
    static constexpr const char* kNoCdrwSupportText = "The selected recorder does not support CD-RW";
    static constexpr const char* kNotRewritableText = "The inserted CD is not rewritable";
    static constexpr int kPollMilliseconds = 100;

    // Called every poll with the seconds elapsed and expected.
    using Progress = std::function<void(double elapsed, int32_t expected)>;

    CdEraseRoutine(BurnerLibrary& library, Prompter& prompter) : m_library(library), m_prompter(prompter) {}
    // True when the disc was erased; every failure has been shown.
    bool run(void* device, int32_t method, const Progress& progress = {});

private:
    BurnerLibrary& m_library;
    Prompter& m_prompter;
};

} // namespace quillon
