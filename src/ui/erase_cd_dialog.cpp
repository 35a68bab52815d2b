#include "erase_cd_dialog.h"

#include "base/prompter.h"
#include "cd/cd_erase_routine.h"
#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace quillon {

EraseCdDialog::EraseCdDialog(SettingsStore& settings, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_prompter(prompter), m_devices(new QComboBox(this)),
      m_complete(new QRadioButton(tr("Complete erase of the CD-RW"), this)),
      m_quick(new QRadioButton(tr("Quick erase of the CD-RW"), this)), m_bar(new QProgressBar(this)),
      m_remaining(new QLabel(this)), m_elapsed(new QLabel(this))
{
    setWindowTitle(tr("Erase Rewritable CD"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow(tr("Recorder:"), m_devices);
    layout->addLayout(form);
    layout->addWidget(m_complete);
    layout->addWidget(m_quick);
    m_quick->setChecked(true);
    m_bar->setRange(0, 1000);
    layout->addWidget(m_bar);
    auto* times = new QFormLayout;
    times->addRow(tr("Estimated time remaining:"), m_remaining);
    times->addRow(tr("Elapsed time:"), m_elapsed);
    layout->addLayout(times);
    auto* buttons = new QHBoxLayout;
    auto* eraseButton = new QPushButton(tr("Erase"), this);
    auto* closeButton = new QPushButton(tr("Close"), this);
    buttons->addStretch();
    buttons->addWidget(eraseButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    connect(eraseButton, &QPushButton::clicked, this, [this] { erase(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

EraseCdDialog::~EraseCdDialog()
{
    if (m_table)
        m_library.freeMemory(m_table);
    if (m_library.isLoaded())
        m_library.done();
}

bool EraseCdDialog::initialise()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Erasing asks nothing: no callbacks.
    const bool loaded = m_library.load(m_settings) && m_library.init(nullptr) == 0;
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
    return true;
}

bool EraseCdDialog::erase()
{
    const int index = m_devices->currentIndex();
    if (index < 0 || index >= int(m_drives.size()))
        return false;
    void* device = m_library.openDevice(m_drives[size_t(index)].entry);
    const int32_t method = m_quick->isChecked() ? VARDA_ERASE_QUICK : VARDA_ERASE_COMPLETE;
    const bool erased = CdEraseRoutine(m_library, m_prompter).run(device, method, [this](double elapsed, int32_t expected) {
        if (expected > 0) {
            m_bar->setValue(std::min(1000, int(elapsed * 1000.0 / expected)));
            m_remaining->setText(tr("%1 s").arg(std::max(0, int(expected - elapsed))));
        }
        m_elapsed->setText(tr("%1 s").arg(int(elapsed)));
        QCoreApplication::processEvents();
    });
    if (device)
        m_library.closeDevice(device);
    if (erased)
        accept();
    return erased;
}

} // namespace quillon
