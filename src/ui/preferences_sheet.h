#pragma once
// The "Preferences" sheet: the pages "General", "View", "Project Defaults" and
// "Directories". Opening reads the document's undo limit and switches and the stored
// defaults; OK hands the document its undo limit, switches and default pause and
// writes every value back to the settings (the caller then lays the views out anew).
// User-interface thread only.

#include <QDialog>

namespace quillon {

class CDirectoryPage;
class CGeneralPrefs;
class CMultitrackerDoc;
class CProjectInfoPage;
class CViewPrefs;
class Prompter;
class SettingsStore;

class PreferencesSheet : public QDialog {
    Q_OBJECT
public:
    PreferencesSheet(CMultitrackerDoc& doc, SettingsStore& settings, Prompter& prompter, QWidget* parent = nullptr);

    CGeneralPrefs* generalPage() const { return m_general; }
    CViewPrefs* viewPage() const { return m_view; }
    CProjectInfoPage* defaultsPage() const { return m_defaults; }
    CDirectoryPage* directoryPage() const { return m_directories; }

    // Stores every page (what OK does before the sheet closes).
    void apply();
    void accept() override;

private:
    CMultitrackerDoc& m_doc;
    SettingsStore& m_settings;
    CGeneralPrefs* m_general;
    CViewPrefs* m_view;
    CProjectInfoPage* m_defaults;
    CDirectoryPage* m_directories;
};

} // namespace quillon
