// The program's start-up routine and the table that binds handler ids to
// their functions.
#pragma once

#include "ui/platform.h"

namespace landuo::app {

const ui::HandlerTable& Handlers();

// The main window's created handler: the themed look, then the window shown.
void StartUpHandler(ui::Platform& platform);

// The start-up steps up to the event loop; false after a fatal error.
bool StartUp(ui::Platform& platform);

// The whole run: start-up, the event loop, shutdown. Returns the exit code.
int Main(ui::Platform& platform);

}  // namespace landuo::app
