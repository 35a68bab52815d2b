#include "ui/recording_console.h"

#include "base/prompter.h"
#include "base/settings_store.h"
#include "engine/transport.h"
#include "model/audio_clip.h"
#include "model/multitracker_doc.h"
#include "plugins/class_com.h"
#include "plugins/file_filter.h"
#include "plugins/plugin_host.h"
#include "ui/file_dialog_filters.h"
#include "ui/led_meter.h"
#include "ui/level_slider.h"
#include "ui/qt_prompter.h"
#include "ui/time_formatter.h"
#include "ui/transport_control.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimerEvent>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace quillon {

namespace {

QString tx(const char* text) { return QCoreApplication::translate("RecordingConsole", text); }

QIcon drawnIcon(bool record)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    if (record) {
        p.setBrush(QColor(200, 0, 0));
        p.drawEllipse(QRectF(5, 5, 14, 14));
    } else {
        p.setBrush(QColor(40, 40, 40));
        p.drawRect(QRectF(6, 5, 4, 14));
        p.drawRect(QRectF(14, 5, 4, 14));
    }
    return QIcon(pixmap);
}

// The LED meter takes hundredths of a dB; the console's reading runs 0..100 over
// -80..0 dB, so one step of the reading is 0.8 dB.
int16_t meterLevelFor(int reading) { return static_cast<int16_t>(std::clamp((reading - 100) * 80, -32000, 0)); }

} // namespace

RecordingConsole::RecordingConsole(CMultitrackerDoc& doc, SettingsStore& settings, Prompter& prompter,
                                   TransportControl* transport, const QString& target, uint16_t bits, bool stereo,
                                   Mode mode, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_settings(settings), m_prompter(prompter), m_transport(transport), m_mode(mode),
      m_initialTarget(target), m_format(RecordingState::recordingFormat(doc.sampleRate(), stereo, bits))
{
    setWindowTitle(tx("Recording Console"));
    // As a wizard page the console is a child of the wizard, not a window of its own.
    if (m_mode == Mode::Wizard)
        setWindowFlags(Qt::Widget);
    buildControls();
}

RecordingConsole::~RecordingConsole()
{
    m_timer.stop();
    // Stops and waits for the thread before the state goes.
    m_thread.reset();
}

void RecordingConsole::buildControls()
{
    m_leftMeter = new CLEDMeter;
    m_rightMeter = new CLEDMeter;
    m_volume = new CLevelSlider;
    m_volume->setMinimum(0);
    m_volume->setMaximum(100);
    m_volume->setValue(100);
    m_inputLine = new QComboBox;

    m_toolBar = new QToolBar;
    m_toolBar->setIconSize(QSize(24, 24));
    m_recordAction = m_toolBar->addAction(drawnIcon(true), tx("Record"));
    m_pauseAction = m_toolBar->addAction(drawnIcon(false), tx("Pause"));
    m_recordAction->setCheckable(true);
    m_pauseAction->setCheckable(true);
    m_pauseAction->setChecked(true);
    // The buttons show the state; a click runs the command, which sets it.
    connect(m_recordAction, &QAction::triggered, this, [this] { record(); });
    connect(m_pauseAction, &QAction::triggered, this, [this] { pause(); });

    m_silence = new QCheckBox(tx("Pause recording after 20 seconds of silence"));
    m_position = new QLabel;
    m_position->setMinimumWidth(140);
    m_drive = new QLabel;
    m_fileName = new QLabel;
    m_maximumTime = new QLabel;
    m_changeTarget = new QPushButton(tx("Change Target File..."));
    m_keep = new QPushButton(tx(kKeepText));
    m_discard = new QPushButton(tx(kDiscardText));
    m_keep->setAutoDefault(false);
    m_discard->setAutoDefault(false);
    m_changeTarget->setAutoDefault(false);
    connect(m_changeTarget, &QPushButton::clicked, this, &RecordingConsole::changeTargetFile);
    connect(m_keep, &QPushButton::clicked, this, &RecordingConsole::keep);
    connect(m_discard, &QPushButton::clicked, this, &RecordingConsole::discard);
    connect(m_silence, &QCheckBox::toggled, this, [this](bool on) {
        if (m_state)
            m_state->setSilenceLimit(on ? RecordingState::kSilenceLimitBuffers : RecordingState::kSilenceOff);
    });
    connect(m_volume, &CLevelSlider::valueChanged, this, [this](short value) {
        if (m_inputLine->currentIndex() >= 0)
            m_mixer.setSourceVolume(m_inputLine->currentIndex(), value * 0.01);
    });
    connect(m_inputLine, &QComboBox::activated, this, [this](int index) {
        m_mixer.selectSource(index);
        m_mixer.setSourceVolume(index, m_volume->value() * 0.01);
    });

    auto* meters = new QGridLayout;
    meters->addWidget(new QLabel(QStringLiteral("L")), 0, 0);
    meters->addWidget(m_leftMeter, 0, 1);
    meters->addWidget(new QLabel(QStringLiteral("R")), 1, 0);
    meters->addWidget(m_rightMeter, 1, 1);

    auto* input = new QGridLayout;
    input->addWidget(new QLabel(tx("Audio Input Line:")), 0, 0);
    input->addWidget(m_inputLine, 1, 0);
    input->addWidget(new QLabel(tx("Recording Volume")), 0, 1, Qt::AlignHCenter);
    input->addWidget(m_volume, 1, 1, 2, 1, Qt::AlignHCenter);
    input->setRowStretch(2, 1);

    auto* info = new QGridLayout;
    info->addWidget(new QLabel(tx("Position: ")), 0, 0);
    info->addWidget(m_position, 0, 1);
    info->addWidget(new QLabel(tx("Target disk drive:")), 1, 0);
    info->addWidget(m_drive, 1, 1);
    info->addWidget(new QLabel(tx("Target file name:")), 2, 0);
    info->addWidget(m_fileName, 2, 1);
    info->addWidget(new QLabel(tx("Maximum recording time:")), 3, 0);
    info->addWidget(m_maximumTime, 3, 1);
    info->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_changeTarget);
    buttons->addStretch(1);
    buttons->addWidget(m_keep);
    buttons->addWidget(m_discard);

    auto* left = new QVBoxLayout;
    left->addLayout(meters);
    left->addWidget(m_toolBar);
    left->addLayout(info);
    left->addWidget(m_silence);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(input);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    if (m_mode == Mode::Wizard) {
        m_keep->hide();
        m_discard->hide();
    }
}

void RecordingConsole::openMixer()
{
    std::vector<std::string> lines;
    if (m_mixer.open(m_state->inputDevice()) && m_mixer.listSources(lines)) {
        for (const std::string& line : lines)
            m_inputLine->addItem(QString::fromStdString(line));
        m_inputLine->setCurrentIndex(0);
        m_mixer.selectSource(0);
    }
    m_inputLine->setEnabled(m_inputLine->count() > 0);
    m_volume->setEnabled(m_inputLine->count() > 0);
}

bool RecordingConsole::initialise()
{
    FileFilter filter;
    try {
        PluginHost* host = PluginHost::current();
        if (!host)
            throw ClassCom(QUILLON_E_NO_CLASS);
        filter = FileFilter::create(*host);
    } catch (const ClassCom&) {
        m_prompter.showMessage(kClassComMessage, PromptIcon::Error);
        return false;
    }
    const int32_t insertion = m_mode == Mode::Wizard ? 0 : m_doc.cursor();
    const int device = m_settings.profileInt("Devices", "Input", -1);
    m_state = std::make_unique<RecordingState>(m_format, m_initialTarget.toStdString(), std::move(filter), device,
                                               insertion);
    m_state->setSilenceLimit(m_silence->isChecked() ? RecordingState::kSilenceLimitBuffers
                                                    : RecordingState::kSilenceOff);
    openMixer();
    m_thread = std::make_unique<RecordingThread>(*m_state);
    m_thread->start();
    m_timer.start(kTimerMilliseconds, this);
    updateDisplay();
    return true;
}

QString RecordingConsole::target() const
{
    return m_state ? QString::fromStdString(m_state->targetPath()) : m_initialTarget;
}

int64_t RecordingConsole::recordedFrames() const
{
    return m_state ? m_state->currentPosition() - m_state->insertionPosition() : 0;
}

void RecordingConsole::record()
{
    if (!m_state || m_ended || m_state->deviceError()) {
        updateDisplay();
        return;
    }
    if (!m_state->isPaused()) {
        updateDisplay();
        return;
    }
    if (m_mode == Mode::Console && m_transport) {
        // Play along from where the take has got to: after a pause that is the
        // insertion position plus what is already recorded.
        if (m_transport->isPlaying())
            m_transport->stopPlayback();
        const int64_t from = std::min<int64_t>(m_state->currentPosition(), Transport::kOpenEnd);
        m_transport->play(SampleRange(static_cast<int32_t>(from), Transport::kOpenEnd), nullptr, false);
    }
    m_state->setPaused(false);
    updateDisplay();
    emit recordingStarted();
}

void RecordingConsole::pause()
{
    if (!m_state || m_ended || m_state->deviceError()) {
        updateDisplay();
        return;
    }
    m_state->setPaused(true);
    if (m_mode == Mode::Console)
        stopPlayAlong();
    updateDisplay();
}

void RecordingConsole::changeTargetFile()
{
    if (!m_state || m_ended || !m_state->isPaused())
        return;
    std::string list;
    try {
        PluginHost* host = PluginHost::current();
        if (!host)
            throw ClassCom(QUILLON_E_NO_CLASS);
        list = FileFilter::create(*host).filterList();
    } catch (const ClassCom&) {
        m_prompter.showMessage(kClassComMessage, PromptIcon::Error);
        return;
    }
    QFileDialog dialog(this, tx("Change Target File..."), target(), FileDialogFilters::fromList(list));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_state->changeTarget(dialog.selectedFiles().constFirst().toStdString());
    updateDisplay();
}

void RecordingConsole::endTake()
{
    if (m_ended || !m_state)
        return;
    m_timer.stop();
    m_state->setPaused(true);
    m_state->requestStop();
    m_thread->join();
    m_ended = true;
    showThreadMessages();
}

void RecordingConsole::stopPlayAlong()
{
    if (m_transport && m_transport->isPlaying())
        m_transport->stopPlayback();
}

void RecordingConsole::deleteTake()
{
    std::error_code ec;
    std::filesystem::remove(target().toStdString(), ec);
}

void RecordingConsole::keep()
{
    if (m_mode == Mode::Wizard || !m_state)
        return;
    endTake();
    stopPlayAlong();
    if (recordedFrames() > 0) {
        // The document creates an "Untitled" track when the project has none, and
        // inserts the clip only when the take opens.
        m_doc.setCursor(m_state->insertionPosition());
        m_doc.insertAudioFiles({target().toStdString()}, 0);
    } else {
        // Nothing recorded: the file holds no audio, and an empty clip helps nobody.
        deleteTake();
    }
    QDialog::accept();
}

void RecordingConsole::discard()
{
    if (!m_state) {
        QDialog::reject();
        return;
    }
    endTake();
    deleteTake();
    if (m_mode == Mode::Console)
        stopPlayAlong();
    QDialog::reject();
}

std::unique_ptr<CAudioClip> RecordingConsole::takeClip(std::unique_ptr<CAudioClip> clip)
{
    if (!m_state)
        return nullptr;
    endTake();
    if (!clip)
        clip = std::make_unique<CAudioClip>(&m_doc.format());
    if (!clip->openFile(m_state->insertionPosition(), target().toStdString(), &m_prompter))
        return nullptr;
    return clip;
}

void RecordingConsole::reject()
{
    if (m_mode == Mode::Wizard)
        return; // the wizard decides what happens to its take
    if (m_ended || !m_state || recordedFrames() <= 0) {
        // No take to lose: an empty file is all there is.
        discard();
        return;
    }
    // Wait for the answer paused, so that the take does not grow behind the question.
    const bool wasPaused = m_state->isPaused();
    m_state->setPaused(true);
    switch (askOnClose()) {
    case CloseAnswer::Keep:
        keep();
        break;
    case CloseAnswer::Discard:
        discard();
        break;
    case CloseAnswer::Cancel:
        m_state->setPaused(wasPaused);
        updateDisplay();
        break;
    }
}

RecordingConsole::CloseAnswer RecordingConsole::askOnClose()
{
    QMessageBox box(QMessageBox::Question, windowTitle(), tx(kCloseQuestion), QMessageBox::NoButton, this);
    QPushButton* keepButton = box.addButton(tx(kKeepText), QMessageBox::AcceptRole);
    QPushButton* discardButton = box.addButton(tx(kDiscardText), QMessageBox::DestructiveRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(keepButton);
    box.exec();
    if (box.clickedButton() == keepButton)
        return CloseAnswer::Keep;
    if (box.clickedButton() == discardButton)
        return CloseAnswer::Discard;
    return CloseAnswer::Cancel;
}

void RecordingConsole::showThreadMessages()
{
    if (!m_state)
        return;
    for (const PromptText& text : m_state->takeMessages())
        m_prompter.showMessage(text, PromptIcon::Error);
}

void RecordingConsole::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    // A message box runs its own loop: no ticks meanwhile.
    m_timer.stop();
    showThreadMessages();
    if (!m_ended)
        m_timer.start(kTimerMilliseconds, this);
    updateDisplay();
}

void RecordingConsole::updateDisplay()
{
    if (!m_state)
        return;
    const bool paused = m_state->isPaused();
    const bool blinkOff = QDateTime::currentMSecsSinceEpoch() % 1000 >= 500;
    TimeFormatter formatter = TimeFormatter::fromDocument(m_doc);
    const int64_t position = std::min<int64_t>(m_state->currentPosition(), Transport::kOpenEnd);
    m_position->setText(paused && blinkOff ? QString() : formatter.format(static_cast<int32_t>(position)));

    m_leftReading = RecordingState::meterLevel(m_state->leftPeak());
    m_rightReading = m_format.nChannels > 1 ? RecordingState::meterLevel(m_state->rightPeak()) : m_leftReading;
    m_leftMeter->setLevel(meterLevelFor(m_leftReading));
    m_rightMeter->setLevel(meterLevelFor(m_rightReading));

    m_recordAction->setChecked(!paused);
    m_pauseAction->setChecked(paused);
    m_changeTarget->setEnabled(paused && !m_ended);
    updateDisk(blinkOff);
}

void RecordingConsole::updateDisk(bool blinkOff)
{
    const std::string path = m_state->targetPath();
    m_fileName->setText(QFileInfo(QString::fromStdString(path)).fileName());
    m_drive->setText(QDir::toNativeSeparators(QString::fromStdString(RecordingState::mountPointOf(path))));
    const uint64_t free = RecordingState::freeBytesFor(path);
    const bool low = RecordingState::isLowOnSpace(free, m_format);
    m_maximumTime->setText(low && blinkOff ? QString()
                                           : QtPrompter::translated(RecordingState::maximumRecordingTime(free, m_format)));
}

} // namespace quillon
