#pragma once

#include <functional>
#include <QObject>
#include <QString>
#include <type_traits>
#include <utility>

class QWidget;

namespace zu {

// Runs the body of a slot: a silent abort ends it quietly, any other failure is shown in the
// general error box with its own text. No exception leaves it.
void guarded(QWidget* parent, const std::function<void()>& body);

// The general error box.
void showError(QWidget* parent, const QString& text);

// Connects a signal to a body that runs through the guard, the receiver owning the error box.
// The body is a callable taking the signal's arguments or none, or a member function of the
// receiver without arguments.
template <typename Sender, typename Signal, typename Receiver, typename Body>
QMetaObject::Connection onSignal(Sender* sender, Signal signal, Receiver* receiver, Body body)
{
    return QObject::connect(sender, signal, receiver, [receiver, body](auto&&... args) {
        guarded(receiver, [&] {
            if constexpr (std::is_member_function_pointer_v<Body>)
                (receiver->*body)();
            else if constexpr (std::is_invocable_v<const Body&, decltype(args)...>)
                body(std::forward<decltype(args)>(args)...);
            else
                body();
        });
    });
}

// Runs the body through the guard once, the first time the widget is shown, after the widget's
// own handling of that show.
void onFirstShow(QWidget* widget, std::function<void()> body);

} // namespace zu
