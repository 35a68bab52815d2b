#pragma once
// The dialog of "Export CD Tracks to Audio Files...": the folder the files go to and one
// destination file per label of the project, renamed in place. A name that another
// entry already has is refused with a message. The files may be brought to a loudness
// (kept in the "Export" settings as "CdTracksLoudness").
//
// Threads: the user-interface thread only.

#include "engine/cd_track_export.h"
#include "engine/loudness_plan.h"

#include <QDialog>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace quillon {

class LoudnessChoice;
class Prompter;
class SettingsStore;

class CdTrackExportDialog : public QDialog {
    Q_OBJECT
public:
    CdTrackExportDialog(CdTrackExportList list, SettingsStore& settings, Prompter& prompter,
                        QWidget* parent = nullptr);

    // The list as edited, with the chosen folder.
    const CdTrackExportList& list() const { return m_list; }
    // What the exporter is to bring the files to.
    LoudnessTarget loudness() const;

    QTreeWidget* destinations() const { return m_tree; }
    QLineEdit* folderEdit() const { return m_folder; }
    LoudnessChoice* loudnessChoice() const { return m_loudness; }
    // Renames entry `index` as the in-place editor does; false (after the message when
    // another entry has the name) when refused.
    bool rename(int index, const QString& name);

public slots:
    // Takes the folder and keeps the loudness choice.
    void accept() override;

private:
    void fill();
    void browse();
    void edited(QTreeWidgetItem* item, int column);

    CdTrackExportList m_list;
    Prompter& m_prompter;
    QLineEdit* m_folder;
    QTreeWidget* m_tree;
    LoudnessChoice* m_loudness;
    bool m_filling = false;
};

} // namespace quillon
