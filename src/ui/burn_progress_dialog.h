#pragma once
// "Burn progress": runs the burn as soon as it is shown and follows it with two bars
// (preparing the audio, writing to CD) and their texts; "Cancel" sets the cancel flag
// that the workflow and the library read. The window stays responsive because the
// owner's polls (every 100 ms while a track renders, and the library's idle calls)
// dispatch pending events.
//
// Threads: the user-interface thread only.
#include "cd/cd_burn_workflow.h"
#include <QDialog>

class QLabel;
class QProgressBar;

namespace quillon {

class CLabelList;

class BurnProgressDialog : public QDialog, public CdBurnObserver {
    Q_OBJECT
public:
    BurnProgressDialog(CdBurnWorkflow& workflow, CLabelList& labels, const CdBurnOptions& options,
                       QWidget* parent = nullptr);

    CdBurnWorkflow::Result result() const { return m_result; }
    // Runs the burn now (showEvent() does, once).
    void run();
    void cancel() { m_cancel = true; }

    void currentTrack(const std::string& text) override;
    void preparation(int percent) override;
    void writing(int percent) override;
    void phase(const std::string& text) override;
    bool cancelled() override;

    QProgressBar* preparationBar() const { return m_preparation; }
    QProgressBar* writingBar() const { return m_writing; }
    QLabel* phaseLabel() const { return m_phase; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override { m_cancel = true; }

private:
    CdBurnWorkflow& m_workflow;
    CLabelList& m_labels;
    CdBurnOptions m_options;
    QProgressBar* m_preparation;
    QLabel* m_track;
    QProgressBar* m_writing;
    QLabel* m_phase;
    bool m_cancel = false;
    bool m_started = false;
    CdBurnWorkflow::Result m_result = CdBurnWorkflow::Result::Cancelled;
};

} // namespace quillon
