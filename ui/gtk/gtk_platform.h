// The Linux platform: builds the core's window descriptions as GTK 3 windows,
// pumps GTK's main loop, shows GTK's file, font and message dialogs, draws the
// custom units and starts the Linux counterparts of the launchers' programs.
// Every GTK handle stays inside this folder.
#pragma once

#include <gtk/gtk.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/gtk/gtk_widgets.h"
#include "ui/gtk/text_undo.h"
#include "ui/platform.h"

namespace landuo::ui::gtk {

class GtkPlatform final : public Platform {
public:
    explicit GtkPlatform(const HandlerTable& handlers);
    ~GtkPlatform() override;

    // What the signal handlers report; they pass it on to the frame.
    void ReportEvent(UnitRef unit, EventKind kind) { InputEvent(unit, kind); }
    void ReportCloseRequest(WindowId window) { InputCloseRequest(window); }
    static const WindowDescription& Describe(WindowId window) { return DescriptionOf(window); }

    // One unit's native side. Signal handlers get a pointer to it, so it never
    // moves while its window lives.
    struct NativeUnit {
        GtkPlatform* platform = nullptr;
        UnitRef ref;
        UnitKind kind = UnitKind::Button;
        GtkWidget* root = nullptr;       // what stands in the window's GtkFixed
        GtkWidget* text_view = nullptr;  // an edit box's text view
        GtkCssProvider* css = nullptr;   // an edit box's colours and font
        GtkTextTag* decoration = nullptr;  // underline and strike-out over all the text
        std::unique_ptr<TextUndo> undo;
        LabelLook look;  // labels: caption (UTF-8), colours, font, effect
        std::unique_ptr<ColourPicker> picker;
        Colour text_colour = 0;
        Colour back_colour = 0;
        std::optional<LogicalFont> font;
        guint timer = 0;
    };

    struct NativeWindow {
        GtkPlatform* platform = nullptr;
        WindowId id = WindowId::Main;
        GtkWidget* window = nullptr;
        GtkWidget* fixed = nullptr;
        Colour back_colour = 0;
        bool enabled = true;
        std::vector<std::unique_ptr<NativeUnit>> units;  // description order, topmost first
    };

    NativeWindow* WindowRecord(WindowId id) { return windows_[static_cast<std::size_t>(id)].get(); }
    // The unit a widget belongs to (the widget itself or a descendant of its root).
    NativeUnit* UnitOfWidget(NativeWindow& window, GtkWidget* widget);
    // Keeps the input windows of the units in their stacking order, which a
    // widget shown again would otherwise break by raising its own.
    void RestackInput(NativeWindow& window);
    // Tab and Shift+Tab through the description's focus order.
    void MoveFocus(NativeWindow& window, bool forward);
    bool WindowsEnabled() const { return windows_enabled_; }

private:
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
    int NativePixelsPerInchY() override;
    LogicalFont NativeDefaultUiFont() override;
    const CodePage& NativeCodePage() override;

    NativeUnit* Find(UnitRef unit);
    std::unique_ptr<NativeUnit> BuildUnit(NativeWindow& window, const UnitDescription& description, UnitRef ref);
    GtkWidget* BuildEditBox(NativeUnit& unit, const UnitDescription& description);
    void ApplyEditLook(NativeUnit& unit);
    GtkWindow* DialogParent();
    bool SpawnArgv(const std::vector<std::string>& argv);

    bool gtk_ready_ = false;
    bool quit_requested_ = false;
    int exit_code_ = 0;
    bool windows_enabled_ = true;
    int visual_style_ = 0;
    std::unique_ptr<CodePage> locale_code_page_;  // none: UTF-8
    GtkCssProvider* base_css_ = nullptr;
    GtkCssProvider* themed_css_ = nullptr;
    GdkPixbuf* picture_ = nullptr;
    GdkPixbuf* icon_ = nullptr;
    std::array<std::unique_ptr<NativeWindow>, kWindowCount> windows_;
};

}  // namespace landuo::ui::gtk
