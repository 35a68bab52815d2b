// varda-quillon: the desktop application.

#include "app/main_frame.h"
#include "app/quillon_app.h"
#include "base_qt/qsettings_store.h"
#include "ui/qt_prompter.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>

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

} // namespace

int main(int argc, char** argv)
{
    if (!haveDisplay()) {
        std::fprintf(stderr, "varda-quillon: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                             "set QT_QPA_PLATFORM=offscreen to run without one.\n");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationName(QStringLiteral("Varda Quillon"));
    QApplication::setApplicationDisplayName(QStringLiteral("Varda Quillon"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));

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
