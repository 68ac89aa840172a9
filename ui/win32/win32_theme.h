// The themed look: a thread hook on window creation subclasses every push
// button and every edit box frame the user-interface thread makes, those of
// the common dialogs included, and draws them with the colours of ui/look.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace landuo::ui::win32 {

// Installs the hook for the calling thread and themes the thread's existing
// windows; nullptr if the hook could not be installed.
HHOOK SwitchThemedLookOn();

// Removes the hook and gives every themed window its plain look back.
void SwitchThemedLookOff(HHOOK hook);

}  // namespace landuo::ui::win32
