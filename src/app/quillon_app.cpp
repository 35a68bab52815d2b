#include "app/quillon_app.h"

#include "ui/master_view.h"

#include "app/command_line.h"
#include "app/demo_project.h"
#include "app/engine_transport.h"
#include "app/main_frame.h"
#include "base/folder_settings.h"
#include "base/prompter.h"
#include "model/audio_clip.h"
#include "model/multitracker_doc.h"
#include "plugins/class_com.h"
#include "plugins/file_filter.h"
#include "ui/master_view.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

namespace quillon {

CQuillonApp::CQuillonApp(SettingsStore& settings, Prompter& prompter, QString programFolder, QString dataFolder)
    : m_settings(settings), m_prompter(prompter), m_programFolder(std::move(programFolder)),
      m_dataFolder(std::move(dataFolder))
{
}

CQuillonApp::~CQuillonApp()
{
    CAudioClip::setNotificationDispatcher({});
    FileFilter::setDefaultPeakFolder({});
    if (m_frame)
        m_frame->setTransport(nullptr);
    m_transport.reset();
    m_frame.reset();
    m_doc.reset();
    if (EffectCatalog::current() == &m_catalog)
        EffectCatalog::setCurrent(nullptr);
    if (PluginHost::current() == &m_host)
        PluginHost::setCurrent(nullptr);
}

bool CQuillonApp::initInstance(const QStringList& arguments, bool show)
{
    // Servers that fail to load, or a manager that fails to list more, are passed over.
    try {
        m_host.loadServers(m_settings);
    } catch (...) {
    }
    PluginHost::setCurrent(&m_host);
    // Peak files go where the peak-file folder setting says, as for the command-line tool.
    if (std::string peaks; FolderSettings(m_settings).lookup(kFolderPeakFiles, peaks))
        FileFilter::setDefaultPeakFolder(peaks);
    try {
        m_catalog.build(m_host);
    } catch (const ClassCom&) {
    }
    EffectCatalog::setCurrent(&m_catalog);

    m_doc = std::make_unique<CMultitrackerDoc>(m_settings, m_prompter);
    // A file filter reports a changed source from its own thread; the clip is only
    // touched here if it still belongs to the project when the event arrives.
    CMultitrackerDoc* doc = m_doc.get();
    QObject* context = QCoreApplication::instance();
    CAudioClip::setNotificationDispatcher([doc, context](CAudioClip* clip) {
        QMetaObject::invokeMethod(
            context,
            [doc, clip] {
                if (doc->trackOfClip(clip) >= 0)
                    clip->sourceChanged();
            },
            Qt::QueuedConnection);
    });

    m_frame = std::make_unique<CMainFrame>(*m_doc, m_settings, m_prompter, m_programFolder);
    m_frame->setEffectCatalog(&m_catalog);
    m_transport = std::make_unique<EngineTransport>(*m_doc, m_settings, *m_frame->view());
    m_frame->setTransport(m_transport.get());
    // The master knobs steer the output device's own volume, never the mix.
    m_frame->masterView()->setVolumeSink(
        [transport = m_transport.get()](uint32_t word) { transport->engine().device().setVolume(word); });

    StartupCommandLine line = StartupCommandLine::parse(arguments);
    bool ok = true;
    if (!line.fileName.isEmpty()) {
        ok = m_frame->openProject(line.fileName);
    } else if (line.demo) {
        QString error;
        const QString demo = DemoProject::ensure(*m_doc, m_dataFolder, error);
        if (demo.isEmpty() || !m_frame->openProject(demo)) {
            if (!error.isEmpty())
                m_prompter.showMessage(error.toStdString(), PromptIcon::Warning);
            m_frame->newProject();
        }
    } else {
        m_frame->newProject();
    }
    if (!ok)
        return false;
    // A run that ended without closing left its work behind: offered once the project
    // (if one was named) is open.
    m_frame->offerRecovery(line.fileName.isEmpty());
    // Tests of the whole program drive it by command numbers, as the wizard switches do.
    for (const QString& id : qEnvironmentVariable("QUILLON_TEST_COMMANDS").split(QLatin1Char(','), Qt::SkipEmptyParts))
        line.postedCommands.push_back(id.toInt());

    if (show)
        m_frame->show();
    // Once the window exists: its placement, then the posted commands in order.
    QPointer<CMainFrame> frame = m_frame.get();
    QTimer::singleShot(0, frame, [frame] {
        if (frame)
            frame->restorePlacement();
    });
    for (int id : line.postedCommands)
        m_frame->postCommand(id);
    return true;
}

} // namespace quillon
