#include "ui/cd_wizard.h"

#include "base/prompter.h"
#include "cd/cover_hand_off.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include "model/wizard_compilation.h"
#include "ui/audio_cd_recorder_dialog.h"
#include "ui/compilation_page.h"
#include "ui/noise_reduction_page.h"
#include "ui/recording_console.h"
#include "ui/track_detection_page.h"
#include "ui/transport_control.h"
#include "ui/wizard_frame.h"

#include <QVBoxLayout>

#include <filesystem>

namespace quillon {

namespace {

// The first page: the recording console in wizard mode.
class RecordingPage : public WizardPage {
public:
    RecordingPage(RecordingConsole* console, CdWizard& wizard) : m_console(console), m_wizard(wizard)
    {
        auto* layout = new QVBoxLayout(this);
        console->setParent(this, Qt::Widget);
        layout->addWidget(console);
    }
    QString description() const override
    {
        return QObject::tr("Select the recording input and adjust the input level using the level slider until the "
                           "level meters are mostly in the yellow area when an audio signal is present. Click the red "
                           "record button to start recording.");
    }
    void activate(WizardFrame& frame) override
    {
        frame.setFlags(m_console->recordedFrames() > 0 ? WizardFrame::kNext : 0);
        if (!m_connected)
            QObject::connect(m_console, &RecordingConsole::recordingStarted, &frame,
                             [&frame] { frame.setFlags(WizardFrame::kNext); });
        m_connected = true;
    }
    void leave() override { m_wizard.recordingDone(); }

private:
    RecordingConsole* m_console;
    CdWizard& m_wizard;
    bool m_connected = false;
};

} // namespace

CdWizard::CdWizard(CMultitrackerDoc& doc, SettingsStore& settings, Prompter& prompter, TransportControl* transport,
                   Kind kind, QWidget* parent)
    : m_doc(doc), m_settings(settings), m_prompter(prompter), m_transport(transport), m_kind(kind), m_parent(parent)
{
}

CdWizard::~CdWizard() = default;

bool CdWizard::prepare()
{
    bool content = m_doc.labels().count() > 1;
    for (int32_t t = 0; t < m_doc.trackCount() && !content; ++t)
        content = !m_doc.trackAt(t)->clips().empty();
    if (content && !m_prompter.askYesNo(kRemoveContentQuestion))
        return false;
    if (!m_doc.newTakeFile(m_take))
        return false;
    m_doc.deleteContents();
    m_doc.insertTrack(0, std::make_unique<CTrack>(CMultitrackerDoc::kUntitledTrack));
    m_doc.setCursor(0);
    m_doc.updateAllViews(kHintStructure);

    const bool lp = m_kind == Kind::Lp;
    m_frame = std::make_unique<WizardFrame>(lp ? QObject::tr("LP to CD Wizard") : QObject::tr("Cassette to CD Wizard"),
                                            m_parent);
    m_console = new RecordingConsole(m_doc, m_settings, m_prompter, nullptr, QString::fromStdString(m_take),
                                     m_doc.format().wBitsPerSample, m_doc.format().nChannels == 2,
                                     RecordingConsole::Mode::Wizard);
    if (!m_console->initialise()) {
        delete m_console;
        m_console = nullptr;
        m_frame.reset();
        return false;
    }
    m_frame->addPage(new RecordingPage(m_console, *this));
    m_detection = new TrackDetectionPage(m_doc.format());
    m_detection->setRecording(m_take);
    m_frame->addPage(m_detection);
    m_noise = new NoiseReductionPage(m_doc, m_prompter, m_transport, lp);
    m_noise->setRecording(m_take);
    m_frame->addPage(m_noise);
    m_compilation = new CompilationPage;
    m_frame->addPage(m_compilation);
    QObject::connect(m_frame.get(), &WizardFrame::finishing, [this] { finish(); });
    QObject::connect(m_frame.get(), &QDialog::rejected, [this] { cancelled(); });
    m_frame->start();
    return true;
}

bool CdWizard::exec() { return m_frame && m_frame->exec() == QDialog::Accepted; }

void CdWizard::recordingDone()
{
    if (m_taken || !m_console)
        return;
    m_taken = true;
    // Ends the take; the wizard reads the file itself, by its name.
    m_console->takeClip();
    m_take = m_console->target().toStdString();
    if (m_detection)
        m_detection->setRecording(m_take);
    if (m_noise)
        m_noise->setRecording(m_take);
}

void CdWizard::finish()
{
    recordingDone();
    if (m_transport && m_transport->isPlaying())
        m_transport->stopPlayback();
    std::vector<std::unique_ptr<CAudioClip>> pieces = m_detection->takePieces();
    if (pieces.empty())
        pieces = WizardCompilation::detectPieces(m_take, m_detection->settings(), &m_doc.format());
    WizardCompilation::finish(m_doc, std::move(pieces), m_compilation->gap(m_doc.format().nSamplesPerSec),
                              m_noise->buildEffects());
    if (m_compilation->burn()) {
        AudioCdRecorderDialog dialog(m_doc, m_settings, m_prompter, m_parent);
        if (dialog.initialise())
            dialog.exec();
    }
    if (m_compilation->cover()) {
        const std::string path = CoverHandOff::handOffPath(m_settings);
        const std::string text = CoverHandOff::content(m_doc.title(), m_doc.artist(), m_doc.labels(),
                                                       m_doc.projectLength(), m_doc.format().nSamplesPerSec);
        if (CoverHandOff::write(path, text))
            CoverHandOff::start(CoverHandOff::designerPath(m_settings), path);
    }
}

void CdWizard::cancelled()
{
    if (m_transport && m_transport->isPlaying())
        m_transport->stopPlayback();
    recordingDone();
    std::error_code error;
    if (!std::filesystem::exists(m_take, error))
        return;
    if (!m_prompter.askYesNo(kKeepRecordingQuestion))
        std::filesystem::remove(m_take, error);
}

} // namespace quillon
