// Opening a text file into the edit box and saving the edit box to one.
#pragma once

#include <filesystem>
#include <string>

#include "ui/platform.h"

namespace landuo::editor {

// The text a file's bytes show: everything before the first zero byte.
std::string TextFromBytes(std::string bytes);

// How a message names a file (UTF-8, for display only).
std::string DisplayName(const std::filesystem::path& path);

void OpenDocument(ui::Platform& platform);
void SaveDocument(ui::Platform& platform);

}  // namespace landuo::editor
