#pragma once
// The "Effect Chain Editor": one chain (the master chain, a track's or an assignable
// group's) as a list of effect names in processing order, the selected effect's own
// editor embedded beside it (or, for an effect without one, a generic editor built from
// its numbered parameters), "Add >>" with the effect catalogue and "Preset >>" with the
// presets of the selected effect in their preset file.
//
// The editor never keeps a chain, an effect or an owner across a change of the
// document: it holds the owner only to recognise it again. Before the document destroys
// tracks, groups or effects (kHintChainsGoing) the embedded editor is destroyed; at the
// next hint the editor rebinds to its owner (at the owner's new index, or at the same
// index when the whole project was replaced by loading, undo or redo) or, when the owner
// was deleted, unbinds and hides.
//
// User-interface thread only. It observes the document and must not outlive it.

#include "base/view_hints.h"
#include "model/multitracker_doc.h"

#include <QDialog>
#include <QPointer>
#include <QSize>

#include <memory>
#include <string>
#include <vector>

class QListWidget;
class QMenu;
class QPushButton;

namespace quillon {

class EffectCatalog;
struct EffectCatalogEntry;
class EffectPresetFile;
class GenericEffectEditor;
class Prompter;
class SettingsStore;

class CEffectChainEditor : public QDialog, public HintObserver {
    Q_OBJECT
public:
    enum Mode { kModeMaster = 0, kModeTrack = 1, kModeGroup = 2, kModeHide = 3 };
    // Ids of the preset menu's presets, in file order.
    static constexpr int kFirstPresetId = 30000;

    CEffectChainEditor(CMultitrackerDoc& doc, SettingsStore& settings, Prompter& prompter,
                       QWidget* parent = nullptr);
    ~CEffectChainEditor() override;

    // The catalogue behind "Add >>"; the current one when none is set.
    void setCatalog(const EffectCatalog* catalog) { m_catalog = catalog; }

    // Mode 0: the master chain ("Master"); 1: the current track's ("Track %d"); 2: the
    // group `group` ("FX G%d"; -1: the last group); 3: hides. False (nothing shown)
    // when there is no such chain.
    bool showChain(int mode, int group = -1);
    bool isBound() const { return m_bound; }
    CMultitrackerDoc::ChainKind chainKind() const { return m_kind; }
    int32_t chainIndex() const { return m_index; }
    // The bound chain, looked up now; null while unbound.
    EffectChain* chain() const;
    QString chainName() const;

    QListWidget* chainList() const { return m_list; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* presetButton() const { return m_preset; }
    // The embedded editor of the selected effect (its own or the generic one); null
    // when nothing is selected.
    QWidget* effectEditor() const { return m_editor; }
    GenericEffectEditor* genericEditor() const;
    QSize initialSize() const { return m_initialSize; }
    CTransformPlugin* selectedEffect() const;

    // The menus the two buttons pop up (built anew each time; the caller owns them).
    std::unique_ptr<QMenu> makeAddMenu();
    std::unique_ptr<QMenu> makePresetMenu();

    // What the menu items do, for the buttons and for tests.
    // A new effect before the selected one (appended when none is selected), selected
    // with its editor shown. False when it cannot be created or placed.
    bool addEffect(const EffectCatalogEntry& entry);
    bool removeSelectedEffect();
    // The presets of the selected effect's type (empty on a damaged file).
    std::vector<std::string> presetNames() const;
    bool applyPreset(int index);
    bool addPreset(const std::string& name);
    bool deletePreset(const std::string& name);
    // The preset file of the selected effect's type.
    std::string presetPath() const;

    void onHint(int hint, const HintPayload* payload) override;

private:
    void bind(CMultitrackerDoc::ChainKind kind, int32_t index);
    void unbind();
    void rememberOwners();
    void resync();
    void refreshList(int select);
    void showEditorFor(int row);
    void destroyEditor();
    void fitToEditor();
    void updateCaption();
    void askPresetName();
    void askPresetToDelete();
    void runPresetMenu();
    void runAddMenu();
    // Reads the selected effect's preset file; false (after saying so) when damaged.
    bool readPresets(EffectPresetFile& file, bool tell) const;
    bool writePresets(const EffectPresetFile& file, bool tell);
    const void* ownerAt(int32_t index) const;
    std::vector<const void*> owners() const;

    CMultitrackerDoc& m_doc;
    SettingsStore& m_settings;
    Prompter& m_prompter;
    const EffectCatalog* m_catalog = nullptr;
    QListWidget* m_list;
    QPushButton* m_add;
    QPushButton* m_preset;
    QWidget* m_frame;
    QPointer<QWidget> m_editor;
    CTransformPlugin* m_editorEffect = nullptr;
    std::vector<CTransformPlugin*> m_shown; // the effects the list shows, for comparison only
    QSize m_initialSize;

    bool m_bound = false;
    CMultitrackerDoc::ChainKind m_kind = CMultitrackerDoc::ChainKind::Master;
    int32_t m_index = -1;
    const void* m_owner = nullptr;              // compared, never used
    std::vector<const void*> m_knownOwners;     // every owner of that kind when last bound
    bool m_stale = false;                       // the document destroyed things since
    int m_lastEditedParameter = -1;             // one undo step per run of edits
};

} // namespace quillon
