#include "ui/cd_track_export_dialog.h"

#include "base/prompter.h"
#include "ui/loudness_choice.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quillon {

namespace {
QString tx(const char* text) { return QCoreApplication::translate("CdTrackExportDialog", text); }
} // namespace

CdTrackExportDialog::CdTrackExportDialog(CdTrackExportList list, SettingsStore& settings, Prompter& prompter,
                                         QWidget* parent)
    : QDialog(parent), m_list(std::move(list)), m_prompter(prompter),
      m_loudness(new LoudnessChoice(settings, "CdTracksLoudness", {LoudnessMode::MatchTracks, LoudnessMode::Album}))
{
    setWindowTitle(tx("Export CD Tracks to Audio Files"));
    m_folder = new QLineEdit(QString::fromStdString(m_list.baseDirectory()));
    auto* browseButton = new QPushButton(QStringLiteral("..."));
    browseButton->setFixedWidth(32);
    browseButton->setAutoDefault(false);
    connect(browseButton, &QPushButton::clicked, this, &CdTrackExportDialog::browse);

    m_tree = new QTreeWidget;
    m_tree->setColumnCount(2);
    m_tree->setHeaderLabels({tx("Destination File Name"), tx("Track Number")});
    m_tree->setColumnWidth(0, 300);
    m_tree->setColumnWidth(1, 90);
    m_tree->setRootIsDecorated(false);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Grid lines between the rows and columns, as the list has always had.
    m_tree->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid #d0d0d0; "
                                         "border-bottom: 1px solid #d0d0d0; }"));
    m_tree->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::SelectedClicked);
    connect(m_tree, &QTreeWidget::itemChanged, this, &CdTrackExportDialog::edited);
    fill();

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(tx("Destination Folder:")));
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browseButton);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(folderRow);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_loudness);
    layout->addWidget(buttons);
    resize(460, 400);
}

void CdTrackExportDialog::fill()
{
    m_filling = true;
    m_tree->clear();
    for (size_t i = 0; i < m_list.size(); ++i) {
        auto* item = new QTreeWidgetItem(m_tree);
        item->setText(0, QString::fromStdString(m_list.entry(i).name));
        item->setText(1, QString::number(i + 1));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    m_filling = false;
}

bool CdTrackExportDialog::rename(int index, const QString& name)
{
    if (index < 0 || size_t(index) >= m_list.size())
        return false;
    const CdTrackExportList::Rename outcome = m_list.rename(size_t(index), name.toStdString());
    if (outcome == CdTrackExportList::Rename::Duplicate)
        m_prompter.showMessage(tx(CdTrackExportList::kDuplicateText).toStdString(), PromptIcon::Warning);
    // A refused name goes back to what the entry is called.
    m_filling = true;
    if (QTreeWidgetItem* item = m_tree->topLevelItem(index))
        item->setText(0, QString::fromStdString(m_list.entry(size_t(index)).name));
    m_filling = false;
    return outcome == CdTrackExportList::Rename::Done;
}

void CdTrackExportDialog::edited(QTreeWidgetItem* item, int column)
{
    if (m_filling || column != 0)
        return;
    rename(m_tree->indexOfTopLevelItem(item), item->text(0));
}

void CdTrackExportDialog::browse()
{
    const QString folder = QFileDialog::getExistingDirectory(this, tx("Please choose a new folder:"), m_folder->text());
    if (!folder.isEmpty())
        m_folder->setText(folder);
}

void CdTrackExportDialog::accept()
{
    m_list.setBaseDirectory(m_folder->text().toStdString());
    m_loudness->store();
    QDialog::accept();
}

LoudnessTarget CdTrackExportDialog::loudness() const { return m_loudness->target(); }

} // namespace quillon
