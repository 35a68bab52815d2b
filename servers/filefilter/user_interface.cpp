#include "user_interface.h"

#include <QApplication>
#include <QThread>

namespace quillon::filefilter {

bool canShowDialogs()
{
    const auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

} // namespace quillon::filefilter
