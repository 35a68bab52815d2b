#pragma once
// Answers the next modal dialog of type T once it is up: `act` gets the dialog and
// accepts or rejects it. The answer waits on the dialog appearing, not on time.

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>

namespace quillon::test {

template <typename T>
void answerModal(std::function<void(T&)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        act(*dialog);
    });
    timer->start();
}

} // namespace quillon::test
