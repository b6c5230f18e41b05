#pragma once

#include <QString>

class QWidget;

namespace zu {

class TfrmMain;

// Connects the main window's commands to the windows that carry them out.
void installCommands(TfrmMain& main);

// The column chooser for an opener's grid: on confirmation the opener rebuilds the grid that
// the caller tag names.
void chooseColumns(QWidget* opener, const QString& layoutName, const QString& caller);

} // namespace zu
