// Window lifecycle and dispatch, once for every platform: events held while a
// window is built, the unload queue carried out after the running handler
// returns, close requests, and the end of the loop when the last window goes.
#include <algorithm>
#include <exception>
#include <new>
#include <string>

#include "ui/platform.h"

namespace landuo::ui {

namespace {

std::size_t Slot(WindowId window) { return static_cast<std::size_t>(window); }

}  // namespace

// ---- Start-up and shutdown ------------------------------------------------------

bool Platform::Initialise() { return NativeInitialise(); }

void Platform::SetShutdownHook(std::function<void()> hook) { shutdown_hook_ = std::move(hook); }

bool Platform::LoadStartupWindow(WindowId window) {
    if (!LoadWindow(window)) {
        Fail("无法载入启动窗口");
        return false;
    }
    return true;
}

int Platform::RunEventLoop() {
    frame_.loop_started = true;
    int exit_code = 0;
    const bool any_loaded = std::any_of(frame_.windows.begin(), frame_.windows.end(),
                                        [](const WindowState& window) { return window.loaded; });
    if (!frame_.failed && any_loaded) {
        exit_code = NativeRunLoop();
    }
    ++frame_.events_held;
    if (!frame_.failed && shutdown_hook_) {
        shutdown_hook_();
    }
    NativeShutdown();
    return frame_.failed ? -1 : exit_code;
}

void Platform::Fail(std::string_view what_utf8) {
    if (frame_.failed) {
        return;
    }
    frame_.failed = true;
    // Held for good: nothing reaches a handler while the message is shown, nor after.
    ++frame_.events_held;
    NativeShowFatalError(SanitiseUtf8(std::string("发生运行时错误：") + std::string(what_utf8)));
    NativeQuit(-1);
}

// ---- Loading and unloading --------------------------------------------------------

bool Platform::LoadWindow(WindowId id) {
    WindowState& window = frame_.windows[Slot(id)];
    if (window.loaded && !window.unloading) {
        NativeRestoreOrActivate(id);
        return true;
    }
    if (window.loaded) {
        // Its destruction is queued: carry it out now and build a new one.
        std::erase(frame_.unload_queue, id);
        DestroyWindow(id);
    }

    // Messages already waiting are processed with events held, so no handler
    // runs nested inside the one that loads the window.
    ++frame_.events_held;
    NativeProcessPending();
    const bool built = BuildWindow(id);
    if (built) {
        NativeProcessPending();
    }
    --frame_.events_held;
    if (!built) {
        return false;
    }

    const UnitRef self = SelfOf(id);
    Dispatch(self, EventKind::Created);
    Dispatch(self, EventKind::Moved);
    Dispatch(self, EventKind::Resized);
    if (window.loaded && DescriptionOf(id).visible && !window.visible) {
        window.visible = true;
        NativeShowWindow(id, true);
    }
    return true;
}

void Platform::UnloadWindow(WindowId id) {
    WindowState& window = frame_.windows[Slot(id)];
    if (!window.loaded || window.unloading) {
        return;
    }
    window.unloading = true;
    frame_.unload_queue.push_back(id);
    if (frame_.handlers_running == 0) {
        CarryOutUnloads();
    }
}

void Platform::CarryOutUnloads() {
    while (!frame_.unload_queue.empty()) {
        const WindowId id = frame_.unload_queue.front();
        frame_.unload_queue.pop_front();
        if (frame_.windows[Slot(id)].loaded) {
            DestroyWindow(id);
            QuitIfNoWindowLeft();
        }
    }
}

void Platform::DestroyWindow(WindowId id) {
    Dispatch(SelfOf(id), EventKind::Destroying);
    NativeDestroyWindow(id);
    frame_.windows[Slot(id)] = WindowState{};
}

void Platform::QuitIfNoWindowLeft() {
    const bool any_loaded = std::any_of(frame_.windows.begin(), frame_.windows.end(),
                                        [](const WindowState& window) { return window.loaded; });
    if (!any_loaded && frame_.loop_started) {
        NativeQuit(0);
    }
}

// ---- What the platform reports ------------------------------------------------------

void Platform::InputEvent(UnitRef unit, EventKind kind) {
    // The windows are disabled while a dialog is shown; only the timer runs.
    if (frame_.dialogs_shown > 0 && kind != EventKind::Tick) {
        return;
    }
    Dispatch(unit, kind);
}

void Platform::InputCloseRequest(WindowId id) {
    if (!IsLoaded(id) || frame_.events_held > 0) {
        return;
    }
    // No window binds its close query, so nothing refuses the request.
    Dispatch(SelfOf(id), EventKind::CloseQuery);
    if (frame_.handlers_running > 0) {
        // A handler is waiting in a dialog: the window goes as soon as that
        // handler has returned, not under it.
        UnloadWindow(id);
        return;
    }
    DestroyWindow(id);
    QuitIfNoWindowLeft();
}

void Platform::Dispatch(UnitRef unit, EventKind kind) {
    if (frame_.events_held > 0 || !IsLoaded(unit.window)) {
        return;
    }
    const WindowDescription& description = DescriptionOf(unit.window);
    const std::string_view name = unit.index == kWindowSelf ? std::string_view{} : description.units[unit.index].name;
    const auto binding = std::find_if(description.bindings.begin(), description.bindings.end(),
                                      [&](const Binding& row) { return row.event == kind && row.unit == name; });
    if (binding == description.bindings.end()) {
        return;
    }
    const Handler handler = handlers_[static_cast<std::size_t>(binding->handler)];
    if (handler == nullptr) {
        return;
    }
    ++frame_.handlers_running;
    try {
        handler(*this, binding->argument);
    } catch (const std::bad_alloc&) {
        // Every property write is whole, so the handler that ran out of memory
        // left nothing half done: say so and keep the user's text.
        NativeShowErrorMessage("内存不足，操作没有完成。");
    } catch (const std::exception& error) {
        // What no handler handles is a run-time error of the program.
        Fail(error.what());
    }
    --frame_.handlers_running;
    if (frame_.handlers_running == 0) {
        CarryOutUnloads();
    }
}

}  // namespace landuo::ui
