#pragma once

namespace zu {

class TfrmMain;

// Connects the main window's commands to the windows that carry them out.
void installCommands(TfrmMain& main);

} // namespace zu
