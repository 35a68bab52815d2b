#include "user_interface.h"

#include <QCoreApplication>
#include <QThread>

namespace quillon::filefilter {

// Only QtCore here: the widgets come with the dialog module, loaded when a dialog shows.
bool canShowDialogs()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && app->inherits("QApplication") && QThread::currentThread() == app->thread();
}

} // namespace quillon::filefilter
