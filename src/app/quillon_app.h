#pragma once
// The application object: sets up the plug-in servers and the effect catalogue, the
// project document and the main window, and carries out the command line (a project
// to open, the demo compilation, the wizard switches posted once the window is up).
// User-interface thread only.

#include "plugins/effect_catalog.h"
#include "plugins/plugin_host.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace quillon {

class CMainFrame;
class CMultitrackerDoc;
class EngineTransport;
class Prompter;
class SettingsStore;

class CQuillonApp {
public:
    // `programFolder` holds the language packs; `dataFolder` receives the demo.
    CQuillonApp(SettingsStore& settings, Prompter& prompter, QString programFolder, QString dataFolder);
    ~CQuillonApp();
    CQuillonApp(const CQuillonApp&) = delete;
    CQuillonApp& operator=(const CQuillonApp&) = delete;

    // False when the command line cannot be carried out (a project that does not
    // open); the program then ends.
    bool initInstance(const QStringList& arguments, bool show = true);

    CMainFrame* frame() const { return m_frame.get(); }
    CMultitrackerDoc* document() const { return m_doc.get(); }
    EngineTransport* transport() const { return m_transport.get(); }
    PluginHost& host() { return m_host; }

private:
    SettingsStore& m_settings;
    Prompter& m_prompter;
    QString m_programFolder;
    QString m_dataFolder;
    PluginHost m_host;
    EffectCatalog m_catalog;
    std::unique_ptr<CMultitrackerDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<EngineTransport> m_transport;
};

} // namespace quillon
