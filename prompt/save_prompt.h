// The way out: the save prompt and its two answers.
#pragma once

#include "ui/platform.h"

namespace landuo::prompt {

void ShowSavePrompt(ui::Platform& platform);
void AnswerYes(ui::Platform& platform);
void AnswerNo(ui::Platform& platform);

}  // namespace landuo::prompt
