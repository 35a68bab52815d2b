#pragma once
// "Recording Console": records a take from the wave input device through a recording
// thread and shows its levels, position, target and the recording time left on the
// target's file system. Record starts writing (and, outside the wizards, plays the
// project along from where the take has got to); Pause stops writing. "Keep" puts the
// take at the insertion position on the current track, "Discard" deletes it. Closing
// the window any other way asks which of the two is meant when something was recorded,
// so that a take is only ever deleted by "Discard".
//
// The LP and cassette wizards embed the console as their first page (wizard mode):
// no "Keep"/"Discard", no playback, positions from 0; leaving the page hands the take
// over as a clip (takeClip).
//
// Threads: the user-interface thread only; the recording thread is reached through the
// RecordingState.

#include "engine/mixer_line_control.h"
#include "engine/recording_state.h"
#include "engine/recording_thread.h"

#include <QBasicTimer>
#include <QDialog>

#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QToolBar;

namespace quillon {

class CAudioClip;
class CLEDMeter;
class CLevelSlider;
class CMultitrackerDoc;
class Prompter;
class SettingsStore;
class TransportControl;

class RecordingConsole : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTimerMilliseconds = 100;
    enum class Mode { Console, Wizard };
    // What the question on closing the window may answer.
    enum class CloseAnswer { Keep, Discard, Cancel };

    // `transport` plays the project along (null: no playback).
    RecordingConsole(CMultitrackerDoc& doc, SettingsStore& settings, Prompter& prompter, TransportControl* transport,
                     const QString& target, uint16_t bits, bool stereo, Mode mode = Mode::Console,
                     QWidget* parent = nullptr);
    ~RecordingConsole() override;

    // Creates the file filter and starts the recording thread and the timer; false
    // (after the message) when no file filter can be created: the console is not shown.
    bool initialise();

    // The toolbar's buttons and the console's commands.
    void record();
    void pause();
    void changeTargetFile();
    // Ends the take and inserts it; closes the console.
    void keep();
    // Ends the take and deletes its file; closes the console.
    void discard();
    // Wizard mode, leaving the page: ends the take and opens it at the insertion
    // position in `clip` (a new clip when none is given), without inserting it. Null
    // (after the clip's message) when the take cannot be opened.
    std::unique_ptr<CAudioClip> takeClip(std::unique_ptr<CAudioClip> clip = {});

    bool isWizardMode() const { return m_mode == Mode::Wizard; }
    // Frames written to the take so far.
    int64_t recordedFrames() const;
    RecordingState* state() const { return m_state.get(); }
    QString target() const;

    // The meters' readings (100 - truncate(-1.25 x dB)).
    int leftReading() const { return m_leftReading; }
    int rightReading() const { return m_rightReading; }

    QAction* recordAction() const { return m_recordAction; }
    QAction* pauseAction() const { return m_pauseAction; }
    QToolBar* toolBar() const { return m_toolBar; }
    QPushButton* keepButton() const { return m_keep; }
    QPushButton* discardButton() const { return m_discard; }
    QPushButton* changeTargetButton() const { return m_changeTarget; }
    QCheckBox* silenceBox() const { return m_silence; }
    QComboBox* inputLineBox() const { return m_inputLine; }
    CLevelSlider* volumeSlider() const { return m_volume; }
    QLabel* positionLabel() const { return m_position; }
    QLabel* driveLabel() const { return m_drive; }
    QLabel* fileNameLabel() const { return m_fileName; }
    QLabel* maximumTimeLabel() const { return m_maximumTime; }

    // The texts of the question asked when the window is closed with a take in it.
    static constexpr const char* kCloseQuestion = "Do you want to keep what was recorded?";
    static constexpr const char* kKeepText = "Keep";
    static constexpr const char* kDiscardText = "Discard";

signals:
    // The record button started writing (the wizard enables "Next").
    void recordingStarted();

public slots:
    // Escape and the window's close button.
    void reject() override;

protected:
    void timerEvent(QTimerEvent* event) override;
    // Asks Keep / Discard / Cancel.
    virtual CloseAnswer askOnClose();

private:
    void buildControls();
    void openMixer();
    void updateDisplay();
    void updateDisk(bool blinkOff);
    void showThreadMessages();
    // Sets pause and stop and waits for the recording thread.
    void endTake();
    void stopPlayAlong();
    void deleteTake();

    CMultitrackerDoc& m_doc;
    SettingsStore& m_settings;
    Prompter& m_prompter;
    TransportControl* m_transport;
    const Mode m_mode;
    const QString m_initialTarget;
    const WAVEFORMATEX m_format;

    std::unique_ptr<RecordingState> m_state;
    std::unique_ptr<RecordingThread> m_thread;
    MixerLineControl m_mixer;
    QBasicTimer m_timer;
    bool m_ended = false;
    int m_leftReading = -80;
    int m_rightReading = -80;

    CLEDMeter* m_leftMeter = nullptr;
    CLEDMeter* m_rightMeter = nullptr;
    CLevelSlider* m_volume = nullptr;
    QComboBox* m_inputLine = nullptr;
    QToolBar* m_toolBar = nullptr;
    QAction* m_recordAction = nullptr;
    QAction* m_pauseAction = nullptr;
    QCheckBox* m_silence = nullptr;
    QLabel* m_position = nullptr;
    QLabel* m_drive = nullptr;
    QLabel* m_fileName = nullptr;
    QLabel* m_maximumTime = nullptr;
    QPushButton* m_changeTarget = nullptr;
    QPushButton* m_keep = nullptr;
    QPushButton* m_discard = nullptr;
};

} // namespace quillon
