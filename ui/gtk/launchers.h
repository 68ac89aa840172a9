// The Linux counterparts of the Windows programs the tool panel starts: each
// Windows command is tried as the first of its candidates found on PATH.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace landuo::ui::gtk {

struct Launcher {
    std::string_view windows_command;  // the command line's first word, or the shell path
    std::array<std::string_view, 6> candidates;  // in order of preference; empty ones unused
};

// The control panel's shell namespace path is looked up under this key.
inline constexpr std::string_view kControlPanelKey = "control-panel";

inline constexpr std::array<Launcher, 10> kLaunchers{{
    {"calc", {"gnome-calculator", "kcalc", "galculator", "mate-calc", "qalculate-gtk", "xcalc"}},
    {"winchat", {"iptux", "pidgin"}},
    {"osk", {"onboard", "xvkbd"}},
    {"msconfig", {"gnome-tweaks", "xfce4-session-settings", "lxsession-edit"}},
    {"dxdiag", {"hardinfo", "gnome-system-monitor"}},
    {"mspaint", {"kolourpaint", "mtpaint", "drawing", "pinta"}},
    {"sndrec32", {"gnome-sound-recorder", "audacity"}},
    {"charmap", {"gucharmap", "gnome-characters", "kcharselect"}},
    {"explorer", {"xdg-open"}},
    {kControlPanelKey,
     {"gnome-control-center", "systemsettings", "xfce4-settings-manager", "lxqt-config", "mate-control-center"}},
}};

// The argument vector that starts the command line's counterpart: the first
// candidate found on PATH, then the line's remaining words. A first word the
// table lacks is looked up on PATH as it is. Empty when nothing is found.
std::vector<std::string> ResolveCommandLine(std::string_view command_line);

// What opens a path: the control panel for its shell namespace path, else
// xdg-open with the path. Empty when nothing is found.
std::vector<std::string> ResolveShellOpen(std::string_view path);

}  // namespace landuo::ui::gtk
