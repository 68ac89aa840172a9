// Uncovering the tool panel, the launchers and the web link.
#pragma once

#include <string_view>

#include "ui/platform.h"

namespace landuo::tools {

// The control panel, as a shell namespace path under the computer folder.
inline constexpr std::string_view kControlPanelPath =
    "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}";

// The browser is started with this prefix followed by the maker's address.
inline constexpr std::string_view kBrowserCommand = "explorer ";

void ShowToolPanel(ui::Platform& platform);
void HideToolPanel(ui::Platform& platform);
void LaunchTool(ui::Platform& platform, std::string_view command_line);
void OpenControlPanel(ui::Platform& platform);
void OpenWebLink(ui::Platform& platform);

}  // namespace landuo::tools
