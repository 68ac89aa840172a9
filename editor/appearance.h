// The edit box's font and colours and the main window's colour.
#pragma once

#include "ui/platform.h"

namespace landuo::editor {

void ChangeFont(ui::Platform& platform);
void SetEditBackground(ui::Platform& platform);
void SetWindowBackground(ui::Platform& platform);

}  // namespace landuo::editor
