#include "audio_cd_recorder_dialog.h"

#include "base/prompter.h"
#include "cd/cd_burn_workflow.h"
#include "cd/cd_disc_plan.h"
#include "cd/cd_erase_routine.h"
#include "model/multitracker_doc.h"
#include "plugins/plugin_host.h"
#include "ui/burn_progress_dialog.h"
#include "ui/cd_track_properties_dialog.h"
#include "ui/qt_prompter.h"
#include "model/disc_codes.h"
#include <QLineEdit>
#include "ui/time_formatter.h"
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

namespace quillon {

AudioCdRecorderDialog::AudioCdRecorderDialog(CMultitrackerDoc& doc, SettingsStore& settings, Prompter& prompter,
                                             QWidget* parent)
    : QDialog(parent), m_doc(doc), m_settings(settings), m_prompter(prompter), m_handler(prompter),
      m_devices(new QComboBox(this)), m_speeds(new QComboBox(this)), m_tracks(new QTreeWidget(this)),
      m_simulate(new QCheckBox(tr("Simulate before recording"), this)),
      m_testSpeed(new QCheckBox(tr("Test maximum speed before burning"), this)), m_normalize(new QComboBox(this)),
      m_level(new QDoubleSpinBox(this)), m_target(new QDoubleSpinBox(this)),
      m_properties(new QPushButton(tr("Properties..."), this)), m_catalog(new QLineEdit(this))
{
    setWindowTitle(tr("Audio CD Recorder"));
    m_labels.copyFrom(doc.labels());
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow(tr("Recorder:"), m_devices);
    form->addRow(tr("Speed:"), m_speeds);
    m_catalog->setText(QString::fromStdString(doc.catalogNumber()));
    m_catalog->setPlaceholderText(tr("13 digits"));
    form->addRow(tr("Catalogue number (MCN):"), m_catalog);
    layout->addLayout(form);
    m_tracks->setColumnCount(6);
    m_tracks->setHeaderLabels({tr("Track title (CD TEXT)"), tr("Artist"), tr("Track Begin"), tr("Duration"),
                               tr("Pause"), tr("ISRC")});
    const int widths[] = {170, 120, 80, 80, 80, 100};
    for (int i = 0; i < 6; ++i)
        m_tracks->setColumnWidth(i, widths[i]);
    m_tracks->setRootIsDecorated(false);
    m_tracks->setAllColumnsShowFocus(true);
    m_tracks->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(m_tracks);
    auto* rowButtons = new QHBoxLayout;
    auto* selectAll = new QPushButton(tr("Select All"), this);
    rowButtons->addWidget(selectAll);
    rowButtons->addWidget(m_properties);
    rowButtons->addStretch();
    layout->addLayout(rowButtons);
    layout->addWidget(m_simulate);
    layout->addWidget(m_testSpeed);
    // The order is NormalizeMode's.
    m_normalize->addItems({tr("Do not normalize"), tr("Normalize each CD track separately"), tr("Normalize globally"),
                           tr("Match track loudness"), tr("Album loudness")});
    m_target->setRange(-40.0, -5.0);
    m_target->setDecimals(1);
    m_target->setValue(LoudnessTarget::kDefaultTargetLufs);
    m_target->setSuffix(tr(" LUFS"));
    m_level->setRange(-24.0, 0.0);
    m_level->setDecimals(1);
    m_level->setSuffix(tr(" dB"));
    auto* normal = new QFormLayout;
    normal->addRow(tr("Normalization:"), m_normalize);
    normal->addRow(tr("Level:"), m_level);
    normal->addRow(tr("Loudness target:"), m_target);
    // Peak modes use the level, loudness modes the target.
    auto showModeFields = [this] {
        const auto mode = NormalizeMode(m_normalize->currentIndex());
        m_level->setEnabled(mode == NormalizeMode::PerTrack || mode == NormalizeMode::Global);
        m_target->setEnabled(mode == NormalizeMode::TrackLoudness || mode == NormalizeMode::AlbumLoudness);
    };
    connect(m_normalize, &QComboBox::currentIndexChanged, this, showModeFields);
    showModeFields();
    layout->addLayout(normal);
    auto* buttons = new QHBoxLayout;
    auto* burnButton = new QPushButton(tr("Burn..."), this);
    auto* closeButton = new QPushButton(tr("Close"), this);
    buttons->addStretch();
    buttons->addWidget(burnButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    m_properties->setEnabled(false);

    connect(m_devices, &QComboBox::currentIndexChanged, this, [this] { fillSpeeds(); });
    connect(selectAll, &QPushButton::clicked, m_tracks, &QTreeWidget::selectAll);
    connect(m_tracks, &QTreeWidget::itemSelectionChanged, this,
            [this] { m_properties->setEnabled(!m_tracks->selectedItems().isEmpty()); });
    connect(m_properties, &QPushButton::clicked, this, [this] { editProperties(); });
    connect(burnButton, &QPushButton::clicked, this, [this] {
        if (burn())
            accept();
    });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    m_handler.setImagePathChooser([this]() -> std::optional<std::string> {
        const QString path = QFileDialog::getSaveFileName(this, tr("Save Disc Image"), QString(),
                                                          tr("Image Files (*.cue);;All Files (*)"));
        if (path.isEmpty())
            return std::nullopt;
        return path.endsWith(".cue") ? path.toStdString() : (path + ".cue").toStdString();
    });
    m_handler.setEraser([this] {
        return m_workflow && CdEraseRoutine(m_library, m_prompter).run(m_workflow->device(), VARDA_ERASE_QUICK,
                                                                      [](double, int32_t) {
                                                                          QCoreApplication::processEvents();
                                                                      });
    });
    m_handler.setIdle([] { QCoreApplication::processEvents(); });
}

AudioCdRecorderDialog::~AudioCdRecorderDialog()
{
    if (m_table)
        m_library.freeMemory(m_table);
    if (m_library.isLoaded())
        m_library.done();
    m_library.free();
}

void AudioCdRecorderDialog::setImagePathChooser(std::function<std::optional<std::string>()> chooser)
{
    m_handler.setImagePathChooser(std::move(chooser));
}

bool AudioCdRecorderDialog::initialise()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const VardaBurnSettings settings = m_handler.settings();
    const bool loaded = m_library.load(m_settings) && m_library.init(&settings) == 0;
    if (loaded)
        m_table = m_library.availableDrives();
    QApplication::restoreOverrideCursor();
    if (!loaded) {
        m_prompter.showMessage(BurnerLibrary::kAccessError, PromptIcon::Error);
        return false;
    }
    m_drives = DriveList::offered(m_table, m_library.apiVersion());
    if (m_drives.empty()) {
        m_prompter.showMessage(DriveList::kNoRecordersText, PromptIcon::Error);
        return false;
    }
    for (const OfferedDrive& d : m_drives)
        m_devices->addItem(QString::fromStdString(d.name));
    m_devices->setCurrentIndex(0);
    fillSpeeds();
    fillTracks();
    return true;
}

void AudioCdRecorderDialog::fillSpeeds()
{
    m_speeds->clear();
    const int index = m_devices->currentIndex();
    if (index < 0 || index >= int(m_drives.size()))
        return;
    for (const PromptText& line : DriveList::speedLines(m_drives[size_t(index)]))
        m_speeds->addItem(QtPrompter::translated(line));
    m_speeds->setCurrentIndex(m_speeds->count() - 1);
    m_speeds->setEnabled(!m_drives[size_t(index)].speeds.empty());
}

void AudioCdRecorderDialog::fillTracks()
{
    m_tracks->clear();
    m_rows.clear();
    std::vector<ProjectLabel*> splits;
    CLabelList::Cursor cursor;
    for (ProjectLabel* l = m_labels.first(cursor); l; l = m_labels.next(cursor))
        if (l->kind == ProjectLabel::kTrackSplit)
            splits.push_back(l);
    if (splits.size() > size_t(kMaxRows))
        m_prompter.showMessage(CdDiscPlan::kTooManyTracksText, PromptIcon::Warning);
    TimeFormatter time = TimeFormatter::fromDocument(m_doc);
    const int32_t end = m_doc.projectEnd();
    for (size_t i = 0; i < splits.size() && i < size_t(kMaxRows); ++i) {
        const ProjectLabel* s = splits[i];
        const int32_t duration = i + 1 < splits.size() ? splits[i + 1]->position - splits[i + 1]->pause - s->position
                                                       : std::max(0, end - s->position);
        auto* item = new QTreeWidgetItem(m_tracks);
        item->setText(0, QString::fromStdString(s->title));
        item->setText(1, QString::fromStdString(s->artist));
        item->setText(2, time.format(s->position));
        item->setText(3, time.format(duration));
        item->setText(4, time.format(s->pause));
        item->setText(5, QString::fromStdString(s->isrc));
        for (int c = 2; c < 5; ++c)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        m_rows.push_back(splits[i]);
    }
}

void AudioCdRecorderDialog::editProperties(const std::function<void(CdTrackPropertiesDialog&)>& edit)
{
    const int row = m_tracks->indexOfTopLevelItem(m_tracks->currentItem());
    if (row < 0 || row >= int(m_rows.size()))
        return;
    ProjectLabel* label = m_rows[size_t(row)];
    CdTrackPropertiesDialog dialog(QString::fromStdString(label->title), QString::fromStdString(label->artist),
                                   QString::fromStdString(label->isrc), this);
    const bool accepted = edit ? (edit(dialog), true) : dialog.exec() == QDialog::Accepted;
    if (!accepted)
        return;
    label->title = dialog.title().toStdString();
    label->artist = dialog.artist().toStdString();
    label->isrc = dialog.isrc().toStdString();
    m_tracks->currentItem()->setText(0, dialog.title());
    m_tracks->currentItem()->setText(1, dialog.artist());
    m_tracks->currentItem()->setText(5, dialog.isrc());
}

bool AudioCdRecorderDialog::burn()
{
    const int index = m_devices->currentIndex();
    if (index < 0 || index >= int(m_drives.size()))
        return false;
    const OfferedDrive& drive = m_drives[size_t(index)];
    const std::string catalog = DiscCodes::normaliseCatalogNumber(m_catalog->text().trimmed().toStdString());
    if (catalog.empty() && !m_catalog->text().trimmed().isEmpty()) {
        m_prompter.showMessage(DiscCodes::kCatalogRule, PromptIcon::Error);
        return false;
    }
    m_doc.setCatalogNumber(catalog);
    CdBurnOptions options;
    options.drive = drive.entry;
    options.requests = &m_handler;
    const int speed = m_speeds->currentIndex();
    options.speed = speed >= 0 && speed < int(drive.speeds.size()) ? drive.speeds[size_t(speed)].multiple : 0;
    options.simulate = m_simulate->isChecked();
    options.testSpeed = m_testSpeed->isChecked();
    options.normalize = NormalizeMode(m_normalize->currentIndex());
    options.level = float(std::pow(10.0, m_level->value() * 0.05));
    options.targetLufs = m_target->value();
    PluginHost* host = PluginHost::current();
    if (!host)
        return false;
    CdBurnWorkflow workflow(m_doc, *host, m_library, m_prompter);
    m_workflow = &workflow;
    m_handler.cancelFlag().store(false);
    BurnProgressDialog progress(workflow, m_labels, options, this);
    progress.exec();
    m_workflow = nullptr;
    // CD-TEXT edited here stays in the project.
    m_doc.labels().removeAll();
    m_doc.labels().copyFrom(m_labels);
    return progress.result() == CdBurnWorkflow::Result::Burned;
}

} // namespace quillon
