// varda-quillon: the desktop application.

#include "app/demo_project.h"
#include "app/main_frame.h"
#include "app/quillon_app.h"
#include "base/prompter.h"
#include "base_qt/qsettings_store.h"
#include "model/multitracker_doc.h"
#include "plugins/plugin_host.h"
#include "ui/qt_prompter.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// QApplication ends the process when no display can be reached; say why first.
bool haveDisplay()
{
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

// Messages of a run without windows go to the error stream.
class StreamPrompter : public quillon::Prompter {
public:
    using Prompter::askOkCancel;
    using Prompter::askYesNo;
    using Prompter::showMessage;

    void showMessage(const std::string& text, quillon::PromptIcon) override
    {
        std::fprintf(stderr, "varda-quillon: %s\n", text.c_str());
    }
    bool askOkCancel(const std::string& text) override
    {
        showMessage(text, quillon::PromptIcon::Question);
        return false;
    }
    bool askYesNo(const std::string& text) override { return askOkCancel(text); }
};

void setNames()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Ostrel"));
    QCoreApplication::setApplicationName(QStringLiteral("Varda Quillon"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
}

// --create-demo: writes the demo compilation into the user's data folder when it is
// missing and prints the project's path; needs no display (the command-line tool then
// renders it).
int createDemo(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    setNames();
    quillon::QSettingsStore settings;
    StreamPrompter prompter;
    quillon::PluginHost host;
    try {
        host.loadServers(settings);
    } catch (...) {
    }
    quillon::PluginHost::setCurrent(&host);
    int result = 1;
    {
        quillon::CMultitrackerDoc doc(settings, prompter);
        QString error;
        const QString path = quillon::DemoProject::ensure(
            doc, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), error);
        if (path.isEmpty()) {
            std::fprintf(stderr, "varda-quillon: %s\n", qPrintable(error));
        } else {
            std::printf("%s\n", qPrintable(path));
            result = 0;
        }
    }
    quillon::PluginHost::setCurrent(nullptr);
    settings.sync();
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--create-demo") == 0)
            return createDemo(argc, argv);
    if (!haveDisplay()) {
        std::fprintf(stderr, "varda-quillon: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                             "set QT_QPA_PLATFORM=offscreen to run without one.\n");
        return 2;
    }
    QApplication app(argc, argv);
    setNames();
    QApplication::setApplicationDisplayName(QStringLiteral("Varda Quillon"));
    // The installed desktop entry and icon, so that the desktop groups the windows under them.
    QGuiApplication::setDesktopFileName(QStringLiteral("varda-quillon"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("varda-quillon")));

    quillon::QSettingsStore settings;
    quillon::QtPrompter prompter;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    quillon::CQuillonApp quillon(settings, prompter, QApplication::applicationDirPath(), data);
    if (!quillon.initInstance(QApplication::arguments().mid(1)))
        return 1;
    prompter.setParent(quillon.frame());
    const int result = app.exec();
    settings.sync();
    return result;
}
