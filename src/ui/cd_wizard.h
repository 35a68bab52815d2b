#pragma once
// "LP to CD Wizard" and "Cassette to CD Wizard": record a side through the recording
// console, split it at its pauses, choose the noise reduction and the pauses or
// crossfades, and rebuild the project from the pieces; then burn and hand the track
// list to the cover designer if asked. The two differ only in the noise reduction:
// the cassette wizard uses the denoiser and derumble effect alone.
// The take is the source of every piece and the wizard never deletes it unasked:
// leaving the recording page, Finish and Cancel keep it; Cancel asks whether to.
//
// Threads: user-interface thread.

#include <QString>

#include <memory>
#include <string>

class QWidget;

namespace quillon {

class CMultitrackerDoc;
class CompilationPage;
class NoiseReductionPage;
class Prompter;
class RecordingConsole;
class SettingsStore;
class TrackDetectionPage;
class TransportControl;
class WizardFrame;

class CdWizard {
public:
    enum class Kind { Lp, Cassette };
    static constexpr const char* kRemoveContentQuestion =
        "This operation will remove the content of the current project. Do you want to proceed?";
    static constexpr const char* kKeepRecordingQuestion = "Do you want to keep the recording?";

    CdWizard(CMultitrackerDoc& doc, SettingsStore& settings, Prompter& prompter, TransportControl* transport, Kind kind,
             QWidget* parent = nullptr);
    ~CdWizard();

    // Start: asks before emptying a project with content, gets the take's name, empties
    // the project and builds the frame. False when the wizard ends there.
    bool prepare();
    // Runs the frame; true when finished.
    bool exec();

    WizardFrame* frame() const { return m_frame.get(); }
    RecordingConsole* console() const { return m_console; }
    TrackDetectionPage* detectionPage() const { return m_detection; }
    NoiseReductionPage* noiseReductionPage() const { return m_noise; }
    CompilationPage* compilationPage() const { return m_compilation; }
    // The take's file (the wizard's source).
    const std::string& recording() const { return m_take; }

    // The recording page was left: the take is ended and becomes the source.
    void recordingDone();
    void finish();
    void cancelled();

private:
    CMultitrackerDoc& m_doc;
    SettingsStore& m_settings;
    Prompter& m_prompter;
    TransportControl* m_transport;
    const Kind m_kind;
    QWidget* m_parent;
    std::string m_take;
    bool m_taken = false;
    std::unique_ptr<WizardFrame> m_frame;
    RecordingConsole* m_console = nullptr;
    TrackDetectionPage* m_detection = nullptr;
    NoiseReductionPage* m_noise = nullptr;
    CompilationPage* m_compilation = nullptr;
};

} // namespace quillon
