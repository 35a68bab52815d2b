#pragma once
// The "Project Settings" sheet: "Audio Settings" (rate, resolution, dithering and noise
// shaping, through the settings the document then reads), "General" (title, artist,
// notes, length in minutes) and "Tempo and Meter". On OK the tempo page is validated
// first (a refused field keeps the sheet open); then the audio page stores its values,
// or says the rate was invalid and stores nothing, and the sheet closes.
// User-interface thread only.

#include "model/multitracker_doc.h"

#include <QDialog>

namespace quillon {

class CAudioProperties;
class CProjectInfoPage;
class CTempoProperties;
class Prompter;
class SettingsStore;

class ProjectSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // Open with what CMultitrackerDoc::projectSettings() gave (which also wrote the
    // project's rate and resolution for the audio page).
    ProjectSettingsDialog(const ProjectSettingsValues& values, SettingsStore& settings, Prompter& prompter,
                          QWidget* parent = nullptr);

    ProjectSettingsValues values() const;
    CAudioProperties* audioPage() const { return m_audio; }
    CProjectInfoPage* generalPage() const { return m_general; }
    CTempoProperties* tempoPage() const { return m_tempo; }
    void accept() override;

private:
    CAudioProperties* m_audio;
    CProjectInfoPage* m_general;
    CTempoProperties* m_tempo;
};

} // namespace quillon
