#pragma once
// Answers the disc-burning library's questions (its user-dialog callback) and gives it
// the idle callback, with the answers the library expects. The parts that need a person
// (a message, a question, the image file to write) go through the Prompter and the
// hooks the owner sets.
//
// Threads: the library calls back on the thread that called it, the owner's.
#include <quillon/varda_api.h>
#include <atomic>
#include <functional>
#include <optional>
#include <string>

namespace quillon {

class Prompter;

class BurnRequestHandler {
public:
    static constexpr const char* kInsertMediumText =
        "Please insert a CDR or just click OK if you are using the Image Recorder.";
    static constexpr const char* kEraseQuestion =
        "The inserted CD-RW is not empty. Do you wish to erase the disc?";
    static constexpr const char* kImageFilter = "Image Files (*.cue)|*.cue|All Files (*.*)|*.*||";
    static constexpr const char* kImageExtension = "cue";

    explicit BurnRequestHandler(Prompter& prompter) : m_prompter(prompter) {}

    // The image file to write; none when the user declines.
    void setImagePathChooser(std::function<std::optional<std::string>()> chooser) { m_chooseImage = std::move(chooser); }
    // Erases the disc in the chosen drive (quick erase); true when it succeeded.
    void setEraser(std::function<bool()> eraser) { m_erase = std::move(eraser); }
    // The library ended the job itself: the progress display closes as cancelled.
    void setCancelledHandler(std::function<void()> handler) { m_cancelled = std::move(handler); }
    // Pumps the owner's events while the library waits.
    void setIdle(std::function<void()> idle) { m_idle = std::move(idle); }

    std::atomic<bool>& cancelFlag() { return m_cancel; }
    // The image path last given to the library; empty before any.
    const std::string& lastImagePath() const { return m_lastImage; }
    int32_t answer(int32_t request, void* data);
    // The settings record for VardaInit, pointing back here.
    VardaBurnSettings settings();

    static int32_t userDialog(void* user, int32_t request, void* data);
    static int32_t idle(void* user);

private:
    Prompter& m_prompter;
    std::function<std::optional<std::string>()> m_chooseImage;
    std::function<bool()> m_erase;
    std::function<void()> m_cancelled;
    std::function<void()> m_idle;
    std::atomic<bool> m_cancel{false};
    std::string m_lastImage;
};

} // namespace quillon
