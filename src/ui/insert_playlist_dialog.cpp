#include "ui/insert_playlist_dialog.h"

#include "base/settings_store.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace quillon {

namespace {
QString tx(const char* text) { return QCoreApplication::translate("InsertPlaylistDialog", text); }
} // namespace

InsertPlaylistDialog::InsertPlaylistDialog(const QStringList& files, SettingsStore& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings)
{
    setWindowTitle(tx("Insert Playlist"));
    m_list = new QListWidget;
    for (const QString& file : files) {
        auto* item = new QListWidgetItem(QDir::toNativeSeparators(file), m_list);
        item->setData(Qt::UserRole, file);
    }
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_up = new QPushButton(tx("Up"));
    m_down = new QPushButton(tx("Down"));
    m_remove = new QPushButton(tx("Remove"));
    for (QPushButton* b : {m_up, m_down, m_remove})
        b->setAutoDefault(false);
    connect(m_up, &QPushButton::clicked, this, [this] { move(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { move(1); });
    connect(m_remove, &QPushButton::clicked, this, &InsertPlaylistDialog::removeSelected);
    connect(m_list, &QListWidget::currentRowChanged, this, &InsertPlaylistDialog::updateButtons);

    m_crossfade = new QCheckBox(tx("Crossfade between clips"));
    m_crossfade->setChecked(m_settings.profileInt(kSection, "Crossfade", 0) != 0);
    m_time = new QDoubleSpinBox;
    m_time->setRange(0.0, kMaximumSeconds);
    m_time->setDecimals(3);
    m_time->setSingleStep(0.1);
    const int32_t stored = m_settings.profileInt(kSection, "CrossfadeTime", kDefaultCrossfadeMs);
    m_time->setValue(std::clamp(stored, 0, int32_t(kMaximumSeconds * 1000)) / 1000.0);
    m_time->setEnabled(m_crossfade->isChecked());
    connect(m_crossfade, &QCheckBox::toggled, m_time, &QWidget::setEnabled);

    auto* listButtons = new QVBoxLayout;
    listButtons->addWidget(m_up);
    listButtons->addWidget(m_down);
    listButtons->addWidget(m_remove);
    listButtons->addStretch(1);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(m_list, 1);
    listRow->addLayout(listButtons);

    auto* options = new QGroupBox(tx("Compilation Options"));
    auto* optionsLayout = new QGridLayout(options);
    optionsLayout->addWidget(m_crossfade, 0, 0, 1, 2);
    optionsLayout->addWidget(new QLabel(tx("Time in seconds:")), 1, 0);
    optionsLayout->addWidget(m_time, 1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tx("Audio Files to Import:")));
    layout->addLayout(listRow, 1);
    layout->addWidget(options);
    layout->addWidget(buttons);
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    updateButtons();
    resize(520, 380);
}

QStringList InsertPlaylistDialog::files() const
{
    QStringList out;
    for (int i = 0; i < m_list->count(); ++i)
        out << m_list->item(i)->data(Qt::UserRole).toString();
    return out;
}

bool InsertPlaylistDialog::crossfade() const { return m_crossfade->isChecked(); }

int32_t InsertPlaylistDialog::crossfadeMilliseconds() const
{
    // Rounded: 0.4 s must keep 400 ms, not become 399 through the binary fraction.
    return static_cast<int32_t>(std::lround(m_time->value() * 1000.0));
}

int32_t InsertPlaylistDialog::overlap(uint32_t rate) const
{
    if (!crossfade())
        return 0;
    return static_cast<int32_t>(int64_t(rate) * crossfadeMilliseconds() / 1000);
}

void InsertPlaylistDialog::accept()
{
    m_settings.writeProfileInt(kSection, "Crossfade", crossfade() ? 1 : 0);
    m_settings.writeProfileInt(kSection, "CrossfadeTime", crossfadeMilliseconds());
    QDialog::accept();
}

void InsertPlaylistDialog::move(int step)
{
    const int row = m_list->currentRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= m_list->count())
        return;
    QListWidgetItem* item = m_list->takeItem(row);
    m_list->insertItem(to, item);
    m_list->setCurrentRow(to);
}

void InsertPlaylistDialog::removeSelected()
{
    const int row = m_list->currentRow();
    if (row < 0)
        return;
    delete m_list->takeItem(row);
    m_list->setCurrentRow(std::min(row, m_list->count() - 1));
    updateButtons();
}

void InsertPlaylistDialog::updateButtons()
{
    const int row = m_list->currentRow();
    m_up->setEnabled(row > 0);
    m_down->setEnabled(row >= 0 && row + 1 < m_list->count());
    m_remove->setEnabled(row >= 0);
}

} // namespace quillon
