#include "ui/assignable_groups_dialog.h"

#include "base/prompter.h"
#include "model/assignable_group.h"
#include "model/multitracker_doc.h"
#include "plugins/class_com.h"
#include "ui/effect_chain_editor.h"
#include "ui/plugin_texts.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace quillon {

AssignableGroupsDialog::AssignableGroupsDialog(CMultitrackerDoc& doc, SettingsStore& settings, Prompter& prompter,
                                               QWidget* parent)
    : QDialog(parent), m_doc(doc), m_settings(settings), m_prompter(prompter), m_list(new QListWidget),
      m_effects(new QLabel), m_add(new QPushButton(tr("Add Group"))), m_remove(new QPushButton(tr("Remove Group"))),
      m_edit(new QPushButton(tr("Edit Effect Chain...")))
{
    setWindowTitle(tr("Assignable Effect Groups"));
    m_effects->setWordWrap(true);
    auto* side = new QVBoxLayout;
    side->addWidget(m_add);
    side->addWidget(m_remove);
    side->addWidget(m_edit);
    side->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_list, 1);
    top->addLayout(side);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_effects);
    layout->addWidget(buttons);
    connect(m_add, &QPushButton::clicked, this, &AssignableGroupsDialog::addGroup);
    connect(m_remove, &QPushButton::clicked, this, &AssignableGroupsDialog::removeSelectedGroup);
    connect(m_edit, &QPushButton::clicked, this, &AssignableGroupsDialog::editSelectedGroup);
    connect(m_list, &QListWidget::currentRowChanged, this, [this] { showEffects(); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { editSelectedGroup(); });
    refresh(0);
    m_doc.hints().addObserver(this);
}

AssignableGroupsDialog::~AssignableGroupsDialog() { m_doc.hints().removeObserver(this); }

void AssignableGroupsDialog::onHint(int hint, const HintPayload*)
{
    if (hint == kHintRefresh || hint == kHintStructure)
        refresh(m_list->currentRow());
}

void AssignableGroupsDialog::refresh(int select)
{
    QSignalBlocker block(m_list);
    m_list->clear();
    const int count = m_doc.groupCount();
    for (int i = 0; i < count; ++i)
        m_list->addItem(tr("Assignable Effect Group %1").arg(i + 1));
    m_list->setCurrentRow(count == 0 ? -1 : std::clamp(select, 0, count - 1));
    showEffects();
}

void AssignableGroupsDialog::showEffects()
{
    const int row = m_list->currentRow();
    m_remove->setEnabled(row >= 0);
    m_edit->setEnabled(row >= 0);
    CAssignableGroup* group = row >= 0 ? m_doc.groupAt(row) : nullptr;
    if (!group) {
        m_effects->clear();
        return;
    }
    QStringList names;
    for (const auto& e : group->chain().effects()) {
        try {
            names << PluginTexts::effectName(*e);
        } catch (const ClassCom&) {
            names << QStringLiteral("?");
        }
    }
    m_effects->setText(names.isEmpty() ? tr("No effects") : tr("Effects: %1").arg(names.join(QStringLiteral(", "))));
}

void AssignableGroupsDialog::addGroup()
{
    m_doc.openUndoStep(true);
    m_doc.addGroup();
    m_doc.setModified();
    m_doc.updateAllViews(kHintStructure);
    refresh(m_doc.groupCount() - 1);
}

bool AssignableGroupsDialog::removeSelectedGroup()
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_doc.groupCount())
        return false;
    if (!m_prompter.askYesNo(tr("Remove Assignable Effect Group %1 and its effects?").arg(row + 1).toStdString()))
        return false;
    m_doc.openUndoStep(true);
    if (!m_doc.removeGroup(row))
        return false;
    m_doc.setModified();
    m_doc.updateAllViews(kHintStructure);
    refresh(row);
    return true;
}

void AssignableGroupsDialog::editSelectedGroup()
{
    const int row = m_list->currentRow();
    if (row < 0)
        return;
    CEffectChainEditor editor(m_doc, m_settings, m_prompter, this);
    editor.setCatalog(m_catalog);
    if (!editor.showChain(CEffectChainEditor::kModeGroup, row))
        return;
    editor.hide();
    editor.exec();
    refresh(row);
}

} // namespace quillon
