// What the frame keeps of each window and unit between events. Everything
// else lives in the native controls (an edit box's text, a picker's colour).
#pragma once

#include <array>
#include <deque>
#include <filesystem>
#include <optional>
#include <vector>

#include "ui/font.h"
#include "ui/units.h"

namespace landuo::ui {

struct UnitState {
    bool visible = true;
    std::optional<LogicalFont> font;   // none: the default interface font
    std::filesystem::path file_name;   // file dialogs
    FontChoice font_choice;            // font dialogs
};

struct WindowState {
    bool loaded = false;
    bool unloading = false;  // its destruction is queued
    bool visible = false;
    std::vector<UnitState> units;  // in description order
};

struct FrameState {
    bool loop_started = false;
    int events_held = 0;
    int handlers_running = 0;  // more than one while a handler waits in a dialog
    int dialogs_shown = 0;
    bool failed = false;
    std::array<WindowState, kWindowCount> windows;
    std::deque<WindowId> unload_queue;  // in request order
};

}  // namespace landuo::ui
