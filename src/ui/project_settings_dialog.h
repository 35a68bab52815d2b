#pragma once
// The "Project Settings" sheet: the project's texts and length, and the tempo and
// meter page. On OK every page is validated before anything is handed back.

#include "model/multitracker_doc.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace quillon {

class CTempoProperties;

class ProjectSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit ProjectSettingsDialog(const ProjectSettingsValues& values, QWidget* parent = nullptr);

    ProjectSettingsValues values() const;
    CTempoProperties* tempoPage() const { return m_tempo; }
    // Validates every page; a refused field shows its message and the sheet stays open.
    void accept() override;

private:
    QLineEdit* m_title;
    QLineEdit* m_artist;
    QPlainTextEdit* m_notes;
    QSpinBox* m_length;
    CTempoProperties* m_tempo;
};

} // namespace quillon
