// The one interface between the program and a windowing system.
//
// The public part is what handlers call. It is written once, here and in
// frame.cpp, so window lifecycle, dialogs and the font rules behave the same on
// every platform. The private pure virtual part is what each platform (memory,
// GTK, Win32) implements; the compiler names any operation one lacks. A
// platform reports what happens natively through the protected Input*
// entry points and never calls a handler itself.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/font.h"
#include "ui/frame.h"
#include "ui/text_codec.h"
#include "ui/units.h"

namespace landuo::ui {

class Platform;

// A handler gets the binding row's argument (a launcher's command line).
using Handler = void (*)(Platform& platform, std::string_view argument);
using HandlerTable = std::array<Handler, kHandlerCount>;

// A local calendar date and time of day in whole seconds.
struct LocalTime {
    int year = 1970;
    int month = 1;   // 1 to 12
    int day = 1;     // 1 to 31
    int hour = 0;    // 0 to 23
    int minute = 0;  // 0 to 59
    int second = 0;  // 0 to 59
    friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

// What a platform's open or save dialog is set up with. Texts are UTF-8.
struct FileDialogRequest {
    DialogKind kind = DialogKind::OpenFile;
    std::string_view title;
    std::filesystem::path file_name;  // proposed; may be empty
    std::string_view filter_name;     // "文本文件（*.txt）"
    std::string_view filter_pattern;  // "*.txt"
    std::string_view default_extension;  // without dot: "txt"; may be empty
    bool file_must_exist = false;
    bool overwrite_prompt = false;
    bool path_must_exist = false;
    bool hide_read_only = false;
};

struct FontDialogRequest {
    LogicalFont initial;
    Colour colour = 0;
    bool screen_fonts = false;
    bool effects = false;
};

struct FontDialogResult {
    LogicalFont chosen;
    Colour colour = 0;
};

class Platform {
public:
    explicit Platform(const HandlerTable& handlers);
    virtual ~Platform();
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    // ---- The start-up routine and shutdown ---------------------------------

    // The platform's own start-up: the current folder becomes the program
    // file's folder. False if the platform can't start.
    bool Initialise();
    void SetShutdownHook(std::function<void()> hook);
    // Loads the start-up window; a failure is a fatal error.
    bool LoadStartupWindow(WindowId window);
    // Runs the event loop until the last window is gone, then shuts down.
    // Returns the process's exit code.
    int RunEventLoop();
    // Reports a fatal error and ends the loop with exit code -1.
    void Fail(std::string_view what_utf8);

    // ---- Processes and the shell --------------------------------------------

    bool RunCommandLine(std::string_view command_line, bool wait);
    bool ShellOpen(std::string_view path);

    // ---- Dialogs and messages -----------------------------------------------

    // Shows the dialog unit's open, save or font dialog; true if confirmed, the
    // unit's settings then holding the choice. The program's windows take no
    // input meanwhile; timer ticks still run.
    bool ShowCommonDialog(UnitRef dialog);
    // A short error message for the user (UTF-8), owned by the main window.
    void ShowErrorMessage(std::string_view message_utf8);

    // ---- Windows ------------------------------------------------------------

    bool LoadWindow(WindowId window);
    void UnloadWindow(WindowId window);
    void SetVisualStyle(int scheme);
    bool IsLoaded(WindowId window) const;

    // ---- Properties ---------------------------------------------------------
    // On a window that is not loaded, writes do nothing and reads give the
    // empty value.

    bool IsVisible(UnitRef unit) const;
    void SetVisible(UnitRef unit, bool visible);
    // The text of an edit box or a label's caption, in the code page.
    EncodedText ReadText(UnitRef unit);
    void SetText(UnitRef unit, std::string text);
    void SetTextColour(UnitRef unit, Colour colour);
    // An edit box's or a window's background colour.
    void SetBackColour(UnitRef unit, Colour colour);
    // The unit's complete font, or the system's default interface font.
    LogicalFont GetFont(UnitRef unit);
    void SetFont(UnitRef unit, LogicalFont font);
    void SetAlwaysOnTop(WindowId window, bool on_top);
    Colour GetPickerColour(UnitRef picker);
    std::filesystem::path GetFileName(UnitRef dialog) const;
    FontChoice GetFontChoice(UnitRef dialog) const;
    // The most bytes an edit box can hold.
    std::size_t TextCapacity(UnitRef edit_box);

    // ---- System -------------------------------------------------------------

    LocalTime ReadLocalTime();
    // The screen's vertical resolution in pixels per logical inch.
    int PixelsPerInchY();
    // A UTF-8 text of the program's own, in the system's code page.
    std::string SystemText(std::string_view utf8);
    const CodePage& SystemCodePage();

protected:
    // ---- What a platform reports ----------------------------------------------

    // A click, colour choice, timer tick or left press on a unit.
    void InputEvent(UnitRef unit, EventKind kind);
    // The close box, Esc where the window closes on it, or the system's close.
    void InputCloseRequest(WindowId window);

    // ---- What a platform may look up ------------------------------------------

    static const WindowDescription& DescriptionOf(WindowId window);
    static const UnitDescription& DescriptionOf(UnitRef unit);
    bool EventsHeld() const { return frame_.events_held > 0; }
    bool DialogShown() const { return frame_.dialogs_shown > 0; }

private:
    friend class ModalScope;

    // ---- What each platform implements ---------------------------------------

    // Start-up and shutdown.
    virtual bool NativeInitialise() = 0;
    virtual void NativeShutdown() = 0;
    // Runs the message loop until NativeQuit; returns its code.
    virtual int NativeRunLoop() = 0;
    virtual void NativeQuit(int exit_code) = 0;
    // Processes the messages already waiting, then returns.
    virtual void NativeProcessPending() = 0;
    virtual void NativeShowFatalError(std::string_view message_utf8) = 0;

    // Windows. A window is built hidden, with its visible units shown and its
    // timers started; showing it activates it and focuses the first unit of
    // its focus order.
    virtual bool NativeBuildWindow(const WindowDescription& description) = 0;
    virtual void NativeDestroyWindow(WindowId window) = 0;
    virtual void NativeShowWindow(WindowId window, bool visible) = 0;
    virtual void NativeRestoreOrActivate(WindowId window) = 0;
    virtual void NativeSetWindowsEnabled(bool enabled) = 0;
    virtual void NativeSetVisualStyle(int scheme) = 0;
    virtual void NativeSetAlwaysOnTop(WindowId window, bool on_top) = 0;

    // Units.
    virtual void NativeSetVisible(UnitRef unit, bool visible) = 0;
    virtual EncodedText NativeReadText(UnitRef unit) = 0;
    virtual void NativeSetText(UnitRef unit, std::string text) = 0;
    virtual void NativeSetTextColour(UnitRef unit, Colour colour) = 0;
    virtual void NativeSetBackColour(UnitRef unit, Colour colour) = 0;
    // nullptr: the system's default interface font.
    virtual void NativeSetFont(UnitRef unit, const LogicalFont* font) = 0;
    virtual Colour NativeGetPickerColour(UnitRef picker) = 0;
    virtual std::size_t NativeTextCapacity(UnitRef edit_box) = 0;

    // Dialogs and messages.
    virtual std::optional<std::filesystem::path> NativeFileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<FontDialogResult> NativeFontDialog(const FontDialogRequest& request) = 0;
    virtual void NativeShowErrorMessage(std::string_view message_utf8) = 0;

    // System.
    virtual bool NativeRunCommandLine(std::string_view command_line, bool wait) = 0;
    virtual bool NativeShellOpen(std::string_view path) = 0;
    virtual LocalTime NativeLocalTime() = 0;
    virtual int NativePixelsPerInchY() = 0;
    virtual LogicalFont NativeDefaultUiFont() = 0;
    virtual const CodePage& NativeCodePage() = 0;

    // ---- The frame (frame.cpp) --------------------------------------------------

    UnitState* StateOf(UnitRef unit);
    const UnitState* StateOf(UnitRef unit) const;
    bool BuildWindow(WindowId window);
    void DestroyWindow(WindowId window);
    void Dispatch(UnitRef unit, EventKind kind);
    void CarryOutUnloads();
    void QuitIfNoWindowLeft();

    const HandlerTable& handlers_;
    FrameState frame_;
    std::function<void()> shutdown_hook_;
};

}  // namespace landuo::ui
