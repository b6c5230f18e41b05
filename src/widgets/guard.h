#pragma once

#include <functional>
#include <QString>

class QWidget;

namespace zu {

// Runs the body of a slot: a silent abort ends it quietly, any other failure is shown in the
// general error box with its own text. No exception leaves it.
void guarded(QWidget* parent, const std::function<void()>& body);

// The general error box.
void showError(QWidget* parent, const QString& text);

} // namespace zu
