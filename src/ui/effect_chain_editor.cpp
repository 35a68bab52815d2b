#include "ui/effect_chain_editor.h"

#include "base/prompter.h"
#include "model/assignable_group.h"
#include "model/effect_preset_file.h"
#include "model/track.h"
#include "plugins/class_com.h"
#include "plugins/effect_catalog.h"
#include "plugins/effect_menu.h"
#include "plugins/effect_menu_builder.h"
#include "ui/generic_effect_editor.h"
#include "ui/new_preset_dialog.h"
#include "ui/plugin_texts.h"
#include "ui/remove_preset_dialog.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace quillon {

using Kind = CMultitrackerDoc::ChainKind;

namespace {

// Until an effect asks for more room, the dialog keeps this size.
constexpr QSize kMinimumInitialSize(360, 260);

} // namespace

CEffectChainEditor::CEffectChainEditor(CMultitrackerDoc& doc, SettingsStore& settings, Prompter& prompter,
                                       QWidget* parent)
    : QDialog(parent), m_doc(doc), m_settings(settings), m_prompter(prompter), m_list(new QListWidget),
      m_add(new QPushButton(tr("Add >>"))), m_preset(new QPushButton(tr("Preset >>"))), m_frame(new QWidget)
{
    setWindowTitle(tr("Effect Chain Editor"));
    setModal(false);
    auto* left = new QVBoxLayout;
    left->addWidget(m_list, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_preset);
    left->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(m_frame, 1, Qt::AlignLeft | Qt::AlignTop);
    m_list->setMinimumWidth(160);
    m_preset->setEnabled(false);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { showEditorFor(row); });
    connect(m_add, &QPushButton::clicked, this, &CEffectChainEditor::runAddMenu);
    connect(m_preset, &QPushButton::clicked, this, &CEffectChainEditor::runPresetMenu);
    layout->activate();
    m_initialSize = sizeHint().expandedTo(kMinimumInitialSize);
    resize(m_initialSize);
    m_doc.hints().addObserver(this);
}

CEffectChainEditor::~CEffectChainEditor()
{
    destroyEditor();
    m_doc.hints().removeObserver(this);
}

// ---- binding ----

const void* CEffectChainEditor::ownerAt(int32_t index) const
{
    switch (m_kind) {
    case Kind::Master:
        return &m_doc;
    case Kind::Track:
        return index >= 0 && index < m_doc.trackCount() ? m_doc.trackAt(index) : nullptr;
    case Kind::Group:
        return m_doc.groupAt(index);
    }
    return nullptr;
}

std::vector<const void*> CEffectChainEditor::owners() const
{
    std::vector<const void*> all;
    if (m_kind == Kind::Track)
        for (int32_t i = 0; i < m_doc.trackCount(); ++i)
            all.push_back(m_doc.trackAt(i));
    else if (m_kind == Kind::Group)
        for (int32_t i = 0; i < m_doc.groupCount(); ++i)
            all.push_back(m_doc.groupAt(i));
    else
        all.push_back(&m_doc);
    return all;
}

void CEffectChainEditor::rememberOwners()
{
    m_owner = ownerAt(m_index);
    m_knownOwners = owners();
}

bool CEffectChainEditor::showChain(int mode, int group)
{
    switch (mode) {
    case kModeMaster:
        bind(Kind::Master, -1);
        break;
    case kModeTrack: {
        const int32_t current = m_doc.currentTrack();
        if (current < 0 || current >= m_doc.trackCount())
            return false;
        bind(Kind::Track, current);
        break;
    }
    case kModeGroup: {
        const int32_t index = group < 0 ? m_doc.groupCount() - 1 : group;
        if (index < 0 || index >= m_doc.groupCount())
            return false;
        bind(Kind::Group, index);
        break;
    }
    case kModeHide:
        hide();
        return true;
    default:
        return false;
    }
    show();
    raise();
    activateWindow();
    return true;
}

void CEffectChainEditor::bind(Kind kind, int32_t index)
{
    destroyEditor();
    m_bound = true;
    m_kind = kind;
    m_index = index;
    rememberOwners();
    m_shown.clear();
    m_stale = true;
    updateCaption();
    refreshList(0);
}

void CEffectChainEditor::unbind()
{
    destroyEditor();
    m_bound = false;
    m_owner = nullptr;
    m_knownOwners.clear();
    m_shown.clear();
    m_list->clear();
    m_preset->setEnabled(false);
    updateCaption();
    fitToEditor();
}

EffectChain* CEffectChainEditor::chain() const
{
    return m_bound ? m_doc.effectChain(m_kind, m_index) : nullptr;
}

QString CEffectChainEditor::chainName() const
{
    if (!m_bound)
        return {};
    switch (m_kind) {
    case Kind::Master:
        return tr("Master");
    case Kind::Track:
        return tr("Track %1").arg(m_index + 1);
    case Kind::Group:
        return tr("FX G%1").arg(m_index + 1);
    }
    return {};
}

void CEffectChainEditor::updateCaption()
{
    const QString name = chainName();
    setWindowTitle(name.isEmpty() ? tr("Effect Chain Editor") : tr("Effect Chain Editor") + QStringLiteral(" - ") + name);
}

void CEffectChainEditor::onHint(int hint, const HintPayload*)
{
    switch (hint) {
    case kHintPlayPosition:
    case kHintPlaybackOver:
    case kHintVisibleRange:
    case kHintActivateView:
        return;
    case kHintChainsGoing:
        // The effect under the embedded editor may be about to go: the editor goes first.
        destroyEditor();
        m_shown.clear();
        m_stale = true;
        return;
    default:
        resync();
        return;
    }
}

void CEffectChainEditor::resync()
{
    if (!m_bound)
        return;
    if (m_kind != Kind::Master) {
        const std::vector<const void*> now = owners();
        const auto found = std::find(now.begin(), now.end(), m_owner);
        if (found != now.end()) {
            m_index = int32_t(found - now.begin());
        } else {
            // Loading, undo and redo replace every owner at once: the editor stays
            // with the same place. An owner that went while others stayed was deleted.
            const bool replaced = std::none_of(m_knownOwners.begin(), m_knownOwners.end(), [&](const void* o) {
                return std::find(now.begin(), now.end(), o) != now.end();
            });
            if (!replaced || m_index >= int32_t(now.size())) {
                unbind();
                hide();
                return;
            }
        }
        rememberOwners();
    }
    updateCaption();
    refreshList(m_list->currentRow());
}

// ---- the list and the embedded editor ----

void CEffectChainEditor::refreshList(int select)
{
    EffectChain* c = chain();
    std::vector<CTransformPlugin*> effects;
    if (c)
        for (const auto& e : c->effects())
            effects.push_back(e.get());
    if (effects != m_shown || m_stale) {
        QSignalBlocker block(m_list);
        m_list->clear();
        for (CTransformPlugin* e : effects) {
            QString name;
            try {
                name = PluginTexts::effectName(*e);
            } catch (const ClassCom&) {
                name = tr("(unnamed effect)");
            }
            m_list->addItem(name);
        }
        m_shown = effects;
    }
    const int row = effects.empty() ? -1 : std::clamp(select < 0 ? 0 : select, 0, int(effects.size()) - 1);
    {
        QSignalBlocker block(m_list);
        m_list->setCurrentRow(row);
    }
    if (m_stale || !m_editor || m_editorEffect != (row >= 0 ? effects[size_t(row)] : nullptr))
        showEditorFor(row);
    m_stale = false;
}

CTransformPlugin* CEffectChainEditor::selectedEffect() const
{
    EffectChain* c = chain();
    const int row = m_list->currentRow();
    return c && row >= 0 ? c->at(size_t(row)) : nullptr;
}

GenericEffectEditor* CEffectChainEditor::genericEditor() const
{
    return qobject_cast<GenericEffectEditor*>(m_editor.data());
}

void CEffectChainEditor::destroyEditor()
{
    delete m_editor.data();
    m_editor = nullptr;
    m_editorEffect = nullptr;
    m_lastEditedParameter = -1;
}

void CEffectChainEditor::showEditorFor(int row)
{
    destroyEditor();
    CTransformPlugin* effect = nullptr;
    if (EffectChain* c = chain(); c && row >= 0)
        effect = c->at(size_t(row));
    m_preset->setEnabled(effect != nullptr);
    if (!effect) {
        fitToEditor();
        return;
    }
    QWidget* editor = nullptr;
    try {
        if (effect->hasEditor())
            editor = static_cast<QWidget*>(effect->createEditor(m_frame));
    } catch (const ClassCom&) {
        // An editor the effect promised but could not build: the generic one serves.
        editor = nullptr;
    }
    if (!editor) {
        try {
            auto* generic = new GenericEffectEditor(*effect, m_frame);
            connect(generic, &GenericEffectEditor::aboutToEdit, this, [this](int index) {
                // A run of changes to one parameter (a drag) is one undo step.
                if (index != m_lastEditedParameter)
                    m_doc.openUndoStep(true);
                m_lastEditedParameter = index;
            });
            connect(generic, &GenericEffectEditor::edited, this, [this] { m_doc.setModified(); });
            editor = generic;
        } catch (const ClassCom&) {
            m_prompter.showMessage(kClassComMessage, PromptIcon::Error);
        }
    }
    m_editor = editor;
    m_editorEffect = editor ? effect : nullptr;
    if (editor) {
        editor->setParent(m_frame);
        editor->move(0, 0);
        editor->show();
    }
    fitToEditor();
}

void CEffectChainEditor::fitToEditor()
{
    if (m_editor) {
        m_editor->adjustSize();
        m_frame->setMinimumSize(m_editor->size());
    } else {
        m_frame->setMinimumSize(0, 0);
    }
    layout()->activate();
    const QSize want = m_editor ? sizeHint() : m_initialSize;
    resize(want.expandedTo(m_initialSize));
}

// ---- adding and removing ----

bool CEffectChainEditor::addEffect(const EffectCatalogEntry& entry)
{
    const EffectCatalog* catalog = m_catalog ? m_catalog : EffectCatalog::current();
    if (!chain() || !catalog)
        return false;
    const int selected = m_list->currentRow();
    const int32_t position = selected < 0 ? -1 : selected;
    try {
        std::unique_ptr<CTransformPlugin> effect = CTransformPlugin::createFromEntry(entry, *catalog);
        if (!effect || !m_doc.addEffect(m_kind, m_index, std::move(effect), position))
            return false;
    } catch (const ClassCom&) {
        m_prompter.showMessage(kClassComMessage, PromptIcon::Error);
        return false;
    }
    m_doc.updateAllViews(kHintStructure);
    const int row = position < 0 ? m_list->count() - 1 : position;
    {
        QSignalBlocker block(m_list);
        m_list->setCurrentRow(row);
    }
    showEditorFor(row);
    return true;
}

bool CEffectChainEditor::removeSelectedEffect()
{
    const int row = m_list->currentRow();
    if (!chain() || row < 0)
        return false;
    // The document takes the effect out under the render's lock and destroys it after;
    // its editor goes before that (kHintChainsGoing).
    return m_doc.removeEffect(m_kind, m_index, row);
}

// ---- presets ----

std::string CEffectChainEditor::presetPath() const
{
    CTransformPlugin* effect = selectedEffect();
    if (!effect)
        return {};
    return EffectPresetFile::pathFor(EffectPresetFile::presetFolder(m_settings), effect->identityText());
}

bool CEffectChainEditor::readPresets(EffectPresetFile& file, bool tell) const
{
    const std::string path = presetPath();
    if (path.empty())
        return false;
    if (file.read(path))
        return true;
    if (tell)
        m_prompter.showMessage(tr("The preset file %1 is damaged; it is left as it is.")
                                   .arg(QString::fromStdString(path))
                                   .toStdString(),
                               PromptIcon::Warning);
    return false;
}

bool CEffectChainEditor::writePresets(const EffectPresetFile& file, bool tell)
{
    CTransformPlugin* effect = selectedEffect();
    if (!effect)
        return false;
    const std::string path = presetPath();
    if (file.write(path, effect->saveState()))
        return true;
    if (tell)
        m_prompter.showMessage(tr("The presets could not be written to %1; the file is left as it was.")
                                   .arg(QString::fromStdString(path))
                                   .toStdString(),
                               PromptIcon::Warning);
    return false;
}

std::vector<std::string> CEffectChainEditor::presetNames() const
{
    std::vector<std::string> names;
    EffectPresetFile file;
    if (readPresets(file, false))
        for (const EffectPreset& p : file.presets())
            names.push_back(p.name);
    return names;
}

bool CEffectChainEditor::applyPreset(int index)
{
    CTransformPlugin* effect = selectedEffect();
    EffectPresetFile file;
    if (!effect || !readPresets(file, true) || index < 0 || size_t(index) >= file.presets().size())
        return false;
    try {
        m_doc.openUndoStep(true);
        effect->loadState(file.presets()[size_t(index)].state);
        m_doc.setModified();
        // The editor shows the values the preset brought.
        showEditorFor(m_list->currentRow());
        writePresets(file, false);
    } catch (const ClassCom&) {
        m_prompter.showMessage(kClassComMessage, PromptIcon::Error);
        return false;
    }
    return true;
}

bool CEffectChainEditor::addPreset(const std::string& name)
{
    CTransformPlugin* effect = selectedEffect();
    EffectPresetFile file;
    if (!effect || name.empty() || !readPresets(file, true))
        return false;
    try {
        file.put(name, effect->saveState());
        return writePresets(file, true);
    } catch (const ClassCom&) {
        m_prompter.showMessage(kClassComMessage, PromptIcon::Error);
        return false;
    }
}

bool CEffectChainEditor::deletePreset(const std::string& name)
{
    EffectPresetFile file;
    if (!selectedEffect() || !readPresets(file, true) || !file.remove(name))
        return false;
    try {
        return writePresets(file, true);
    } catch (const ClassCom&) {
        m_prompter.showMessage(kClassComMessage, PromptIcon::Error);
        return false;
    }
}

// ---- menus ----

std::unique_ptr<QMenu> CEffectChainEditor::makeAddMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    const EffectCatalog* catalog = m_catalog ? m_catalog : EffectCatalog::current();
    if (!catalog || catalog->empty() || !chain()) {
        menu->setEnabled(false);
        return menu;
    }
    EffectMenu tree;
    EffectMenuBuilder(tree).addCatalog(*catalog);
    std::function<void(QMenu*, const EffectMenu&, bool)> mirror = [&](QMenu* into, const EffectMenu& m,
                                                                      bool translate) {
        for (const EffectMenu::Item& item : m.items) {
            switch (item.kind) {
            case EffectMenu::Item::Kind::Separator:
                into->addSeparator();
                break;
            case EffectMenu::Item::Kind::Submenu:
                mirror(into->addMenu(PluginTexts::menuText(item.text, translate)), *item.submenu,
                       PluginTexts::translatableBelow(item.text, translate));
                break;
            case EffectMenu::Item::Kind::Command: {
                QAction* a = into->addAction(PluginTexts::menuText(item.text, translate));
                const uint32_t id = item.commandId;
                a->setData(int(id));
                connect(a, &QAction::triggered, this, [this, catalog, id] {
                    if (const EffectCatalogEntry* entry = catalog->findByCommandId(id))
                        addEffect(*entry);
                });
                break;
            }
            }
        }
    };
    mirror(menu.get(), tree, true);
    return menu;
}

std::unique_ptr<QMenu> CEffectChainEditor::makePresetMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    const std::vector<std::string> names = presetNames();
    for (size_t i = 0; i < names.size(); ++i) {
        QAction* a = menu->addAction(QString::fromStdString(names[i]));
        a->setData(kFirstPresetId + int(i));
        connect(a, &QAction::triggered, this, [this, i] { applyPreset(int(i)); });
    }
    if (!names.empty())
        menu->addSeparator();
    connect(menu->addAction(tr("Remove Effect")), &QAction::triggered, this, [this] { removeSelectedEffect(); });
    connect(menu->addAction(tr("Add Preset...")), &QAction::triggered, this, [this] { askPresetName(); });
    connect(menu->addAction(tr("Delete Preset...")), &QAction::triggered, this, [this] { askPresetToDelete(); });
    menu->setEnabled(selectedEffect() != nullptr);
    return menu;
}

void CEffectChainEditor::runAddMenu()
{
    std::unique_ptr<QMenu> menu = makeAddMenu();
    menu->exec(m_add->mapToGlobal(QPoint(m_add->width(), 0)));
}

void CEffectChainEditor::runPresetMenu()
{
    std::unique_ptr<QMenu> menu = makePresetMenu();
    menu->exec(m_preset->mapToGlobal(QPoint(m_preset->width(), 0)));
}

void CEffectChainEditor::askPresetName()
{
    NewPresetDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        addPreset(dialog.name());
}

void CEffectChainEditor::askPresetToDelete()
{
    RemovePresetDialog dialog(presetNames(), [this](const std::string& name) { return deletePreset(name); }, this);
    dialog.exec();
}

} // namespace quillon
