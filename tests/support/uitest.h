#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace zu::test {

// Runs `act` on the modal dialog of type T as soon as one is shown (for commands that exec()).
// The watch ends with `context` when one is given (a test that expects no dialog passes a local).
template <typename T, typename F> void whenModal(F act, QObject* context = nullptr)
{
    auto* poll = new QTimer(context);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(dialog);
        }
    });
    poll->start();
}

// The control of the given class and objectName; the test fails hard when there is none.
template <typename T> T* control(const QObject* window, const char* name)
{
    T* c = window->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

} // namespace zu::test
