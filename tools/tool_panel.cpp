#include "tools/tool_panel.h"

#include <string>

#include "ui/identity.h"
#include "ui/main_window.h"

namespace landuo::tools {

using namespace ui::main_window;

void ShowToolPanel(ui::Platform& platform) { platform.SetVisible(编辑框1, false); }

void HideToolPanel(ui::Platform& platform) { platform.SetVisible(编辑框1, true); }

void LaunchTool(ui::Platform& platform, std::string_view command_line) {
    platform.SetAlwaysOnTop(ui::WindowId::Main, false);
    platform.RunCommandLine(command_line, false);
}

void OpenControlPanel(ui::Platform& platform) { platform.ShellOpen(kControlPanelPath); }

void OpenWebLink(ui::Platform& platform) {
    platform.RunCommandLine(std::string(kBrowserCommand) + LANDUO_WEB_ADDRESS, false);
}

}  // namespace landuo::tools
