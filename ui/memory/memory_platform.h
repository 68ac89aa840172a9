// A whole platform in memory, for the scenario tests and the benchmarks. It
// keeps every property a native control would keep, builds windows from their
// descriptions, answers common dialogs from a script, runs a virtual clock for
// the timers, takes injected user input and records every program start and
// shell open it is asked for. It draws nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/platform.h"

namespace landuo::ui::memory {

class MemoryPlatform;

// How the next common dialog is answered. `while_shown` runs while the dialog
// is up, as the user's and the clock's doings would.
struct DialogAnswer {
    std::optional<std::filesystem::path> file;  // confirm a file dialog with this path
    std::optional<FontDialogResult> font;        // confirm a font dialog with this choice
    std::function<void(MemoryPlatform&)> while_shown;

    static DialogAnswer Confirm(std::filesystem::path path);
    static DialogAnswer ConfirmFont(FontDialogResult result);
    static DialogAnswer Cancel();
};

// What the platform was asked to show.
struct ShownDialog {
    std::optional<FileDialogRequest> file;
    std::optional<FontDialogRequest> font;
    bool windows_enabled = true;  // as they were while it was shown
};

class MemoryPlatform final : public Platform {
public:
    // What app::Main returns when the posted input ran out before the program ended.
    static constexpr int kInputExhausted = -2;

    explicit MemoryPlatform(const HandlerTable& handlers);
    ~MemoryPlatform() override;

    // ---- Set-up ------------------------------------------------------------------

    void SetScreenSize(Size size) { screen_ = size; }
    void SetPixelsPerInch(int dpi) { dpi_ = dpi; }
    void SetCodePage(const CodePage& code_page) { code_page_ = &code_page; }
    void SetTextCapacity(std::size_t bytes) { text_capacity_ = bytes; }
    // The program names RunCommandLine can start (the first word); others fail.
    void SetInstalledPrograms(std::vector<std::string> names) { installed_ = std::move(names); }
    void FailNextBuild() { fail_next_build_ = true; }
    // Runs while a window is being built, with events held.
    void SetDuringBuild(std::function<void(MemoryPlatform&)> action) { during_build_ = std::move(action); }
    // The virtual clock's local time; it moves with AdvanceClock.
    void SetLocalTime(const LocalTime& time);
    // The next clock readings, one each, before the virtual clock is read again.
    void QueueTimeReadings(std::vector<LocalTime> readings);
    void AnswerNextDialog(DialogAnswer answer) { answers_.push_back(std::move(answer)); }
    // Input for the event loop of app::Main, taken in order; the loop ends on
    // quit or when no input is left.
    void Post(std::function<void(MemoryPlatform&)> input) { posted_.push_back(std::move(input)); }

    // ---- The user's input ------------------------------------------------------------

    void Click(UnitRef unit);
    void ChooseColour(UnitRef picker, Colour colour);
    void LeftPress(UnitRef unit);
    // The close box, or the system's close command.
    void RequestClose(WindowId window);
    // Esc while the window is active.
    void PressEscape(WindowId window);
    // Replaces what the edit box holds, as typing would (UTF-8, as the widget holds it).
    void Type(UnitRef edit_box, std::string utf8);
    // Moves the virtual clock on, ticking every running timer as it falls due.
    void AdvanceClock(std::chrono::milliseconds elapsed);

    // ---- What a test looks at -----------------------------------------------------------

    bool IsShown(WindowId window) const;
    bool WindowsEnabled() const { return windows_enabled_; }
    bool AlwaysOnTop(WindowId window) const;
    Point PlaceOf(WindowId window) const;
    int BuildCount(WindowId window) const;
    int ActivationCount(WindowId window) const;
    Colour WindowBackColour(WindowId window) const;
    const std::string& WidgetText(UnitRef unit) const;  // UTF-8, as shown
    bool WidgetVisible(UnitRef unit) const;
    Colour TextColourOf(UnitRef unit) const;
    Colour BackColourOf(UnitRef unit) const;
    // The font the unit shows: its own, or nullopt for the default interface font.
    std::optional<LogicalFont> FontOf(UnitRef unit) const;
    std::string_view FocusedUnit(WindowId window) const;
    int VisualStyle() const { return visual_style_; }
    // The visual style in force when the window was first shown.
    std::optional<int> StyleWhenShown(WindowId window) const;

    const std::vector<std::string>& ProgramsStarted() const { return programs_started_; }
    const std::vector<std::string>& ShellOpens() const { return shell_opens_; }
    const std::vector<std::string>& ErrorMessages() const { return error_messages_; }
    const std::vector<std::string>& FatalErrors() const { return fatal_errors_; }
    const std::vector<ShownDialog>& DialogsShown() const { return dialogs_shown_; }
    const std::vector<WindowId>& Destroyed() const { return destroyed_; }
    int UnansweredDialogs() const { return unanswered_dialogs_; }
    std::optional<int> QuitCode() const { return quit_code_; }
    bool Initialised() const { return initialised_; }
    bool ShutDown() const { return shut_down_; }

private:
    struct UnitRecord {
        bool visible = false;
        std::string text;  // UTF-8, as a widget holds it
        Colour text_colour = 0;
        Colour back_colour = 0;
        std::optional<LogicalFont> font;
        std::chrono::milliseconds next_tick{0};
    };
    struct WindowRecord {
        bool built = false;
        bool shown = false;
        bool always_on_top = false;
        Colour back_colour = 0;
        Point place;
        int builds = 0;
        int activations = 0;
        std::optional<int> style_when_shown;
        std::string focused;
        std::vector<UnitRecord> units;
    };

    WindowRecord& Record(WindowId window);
    const WindowRecord& Record(WindowId window) const;
    UnitRecord* Find(UnitRef unit);
    const UnitRecord* Find(UnitRef unit) const;
    LocalTime TimeNow() const;

    bool NativeInitialise() override;
    void NativeShutdown() override;
    int NativeRunLoop() override;
    void NativeQuit(int exit_code) override;
    void NativeProcessPending() override;
    void NativeShowFatalError(std::string_view message_utf8) override;
    bool NativeBuildWindow(const WindowDescription& description) override;
    void NativeDestroyWindow(WindowId window) override;
    void NativeShowWindow(WindowId window, bool visible) override;
    void NativeRestoreOrActivate(WindowId window) override;
    void NativeSetWindowsEnabled(bool enabled) override;
    void NativeSetVisualStyle(int scheme) override;
    void NativeSetAlwaysOnTop(WindowId window, bool on_top) override;
    void NativeSetVisible(UnitRef unit, bool visible) override;
    EncodedText NativeReadText(UnitRef unit) override;
    void NativeSetText(UnitRef unit, std::string text) override;
    void NativeSetTextColour(UnitRef unit, Colour colour) override;
    void NativeSetBackColour(UnitRef unit, Colour colour) override;
    void NativeSetFont(UnitRef unit, const LogicalFont* font) override;
    Colour NativeGetPickerColour(UnitRef picker) override;
    std::size_t NativeTextCapacity(UnitRef edit_box) override;
    std::optional<std::filesystem::path> NativeFileDialog(const FileDialogRequest& request) override;
    std::optional<FontDialogResult> NativeFontDialog(const FontDialogRequest& request) override;
    void NativeShowErrorMessage(std::string_view message_utf8) override;
    bool NativeRunCommandLine(std::string_view command_line, bool wait) override;
    bool NativeShellOpen(std::string_view path) override;
    LocalTime NativeLocalTime() override;
    int NativePixelsPerInchY() override { return dpi_; }
    LogicalFont NativeDefaultUiFont() override;
    const CodePage& NativeCodePage() override { return *code_page_; }

    DialogAnswer NextAnswer();

    Size screen_{1024, 768};
    int dpi_ = 96;
    const CodePage* code_page_;
    std::size_t text_capacity_ = 0x7FFFFFFE;
    std::vector<std::string> installed_;
    bool fail_next_build_ = false;
    std::function<void(MemoryPlatform&)> during_build_;
    std::deque<DialogAnswer> answers_;
    std::deque<std::function<void(MemoryPlatform&)>> posted_;
    std::deque<LocalTime> time_readings_;
    std::chrono::sys_seconds clock_start_{};
    std::chrono::milliseconds clock_{0};

    bool initialised_ = false;
    bool shut_down_ = false;
    bool windows_enabled_ = true;
    int visual_style_ = 0;
    std::optional<int> quit_code_;
    std::vector<WindowRecord> windows_;
    std::vector<std::string> programs_started_;
    std::vector<std::string> shell_opens_;
    std::vector<std::string> error_messages_;
    std::vector<std::string> fatal_errors_;
    std::vector<ShownDialog> dialogs_shown_;
    std::vector<WindowId> destroyed_;
    int unanswered_dialogs_ = 0;
};

}  // namespace landuo::ui::memory
