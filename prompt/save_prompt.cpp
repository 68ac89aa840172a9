#include "prompt/save_prompt.h"

#include "editor/document.h"

namespace landuo::prompt {

void ShowSavePrompt(ui::Platform& platform) { platform.LoadWindow(ui::WindowId::Prompt); }

// Saves through the main window's save dialog; both windows stay open.
void AnswerYes(ui::Platform& platform) { editor::SaveDocument(platform); }

// The prompt goes first, then the main window, the last, which ends the program.
void AnswerNo(ui::Platform& platform) {
    platform.UnloadWindow(ui::WindowId::Prompt);
    platform.UnloadWindow(ui::WindowId::Main);
}

}  // namespace landuo::prompt
