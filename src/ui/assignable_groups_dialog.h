#pragma once
// "Assignable Effect Groups": the project's groups by number ("Assignable Effect Group
// %d") with the effects of the selected one; groups are added (one send of 0.0 per
// track) and removed (with their effects) here, each change one undo step, and a
// group's chain opens in an effect chain editor of the dialog's own.
// User-interface thread only; it observes the document while it exists.

#include "base/view_hints.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace quillon {

class CMultitrackerDoc;
class EffectCatalog;
class Prompter;
class SettingsStore;

class AssignableGroupsDialog : public QDialog, public HintObserver {
    Q_OBJECT
public:
    AssignableGroupsDialog(CMultitrackerDoc& doc, SettingsStore& settings, Prompter& prompter,
                           QWidget* parent = nullptr);
    ~AssignableGroupsDialog() override;
    void setCatalog(const EffectCatalog* catalog) { m_catalog = catalog; }

    QListWidget* list() const { return m_list; }
    QLabel* effectsLabel() const { return m_effects; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* removeButton() const { return m_remove; }
    QPushButton* editButton() const { return m_edit; }

    void addGroup();
    // Asks first; false when refused or nothing is selected.
    bool removeSelectedGroup();
    // The selected group's chain in a modal effect chain editor.
    void editSelectedGroup();

    // Any change of the document (an effect added in a chain editor) is shown.
    void onHint(int hint, const HintPayload* payload) override;

private:
    void refresh(int select);
    void showEffects();

    CMultitrackerDoc& m_doc;
    SettingsStore& m_settings;
    Prompter& m_prompter;
    const EffectCatalog* m_catalog = nullptr;
    QListWidget* m_list;
    QLabel* m_effects;
    QPushButton* m_add;
    QPushButton* m_remove;
    QPushButton* m_edit;
};

} // namespace quillon
