#pragma once
// The first step of "Export to Audio File...": the loudness the whole mix is brought to
// (kept in the "Export" settings as "FileLoudness"). The file and its type are chosen
// next, in the file filter's own save dialog. "Match track loudness" brings each CD track
// in the file to the target; "Album loudness" the file as a whole.
//
// Threads: the user-interface thread only.

#include "engine/loudness_plan.h"

#include <QDialog>

namespace quillon {

class LoudnessChoice;
class SettingsStore;

class AudioFileExportDialog : public QDialog {
    Q_OBJECT
public:
    explicit AudioFileExportDialog(SettingsStore& settings, QWidget* parent = nullptr);

    // What the exporter is to bring the file to.
    LoudnessTarget loudness() const;

    LoudnessChoice* loudnessChoice() const { return m_loudness; }

public slots:
    // Keeps the choice.
    void accept() override;

private:
    LoudnessChoice* m_loudness;
};

} // namespace quillon
