#include "ui/remove_preset_dialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillon {

RemovePresetDialog::RemovePresetDialog(const std::vector<std::string>& names, Remover remover, QWidget* parent)
    : QDialog(parent), m_remover(std::move(remover)), m_list(new QListWidget), m_remove(new QPushButton(tr("Remove")))
{
    setWindowTitle(tr("Remove Preset"));
    for (const std::string& n : names)
        m_list->addItem(QString::fromStdString(n));
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    m_remove->setEnabled(m_list->count() > 0);
    connect(m_remove, &QPushButton::clicked, this, &RemovePresetDialog::removeSelected);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(m_remove, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}

void RemovePresetDialog::removeSelected()
{
    QListWidgetItem* item = m_list->currentItem();
    if (!item || !m_remover(item->text().toStdString()))
        return;
    delete item;
    m_remove->setEnabled(m_list->count() > 0);
}

} // namespace quillon
