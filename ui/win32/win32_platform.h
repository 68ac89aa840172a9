// The Windows platform: the program's windows built with the Win32 API from
// the window descriptions, the standard controls and the program's own
// window classes (title label, transparent label, picture box, colour picker),
// the common dialogs, the themed look and program starts. Every native handle
// stays inside this folder.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/platform.h"
#include "ui/win32/win32_code_page.h"
#include "ui/win32/win32_handles.h"
#include "ui/win32/win32_libraries.h"

namespace landuo::ui::win32 {

class Win32Platform;

// What the program's own window classes keep of their unit.
struct UnitWidget {
    Win32Platform* platform = nullptr;
    UnitRef ref;
    HWND hwnd = nullptr;
    std::wstring caption;  // labels: what is drawn (line breaks dropped)
    std::u16string text;   // labels: the caption as set, for reading back
    Colour text_colour = 0;
    Colour back_colour = kDefaultColourMarker;
    GdiObject<HFONT> font;      // the unit's own font; none: the default interface font
    GdiObject<HBRUSH> brush;    // the edit box's background
    std::array<COLORREF, 16> custom_colours{};  // a colour picker's "more colours" choices
};

struct NativeWindow {
    HWND hwnd = nullptr;
    Colour back_colour = 0;
    GdiObject<HBRUSH> brush;
    std::vector<std::unique_ptr<UnitWidget>> units;  // in description order
    HWND saved_focus = nullptr;
};

class Win32Platform final : public Platform {
public:
    Win32Platform(HINSTANCE instance, const HandlerTable& handlers);
    ~Win32Platform() override;

    // ---- The window procedures forward here -----------------------------------

    // Ties a top-level window being created to its description's id.
    void AttachWindow(WindowId id, HWND hwnd) { Window(id).hwnd = hwnd; }

    LRESULT OnWindowMessage(WindowId id, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT OnUnitMessage(UnitWidget& unit, UINT message, WPARAM wparam, LPARAM lparam);

private:
    // ---- The top-level windows ----------------------------------------------------
    NativeWindow& Window(WindowId id) { return windows_[static_cast<std::size_t>(id)]; }
    std::optional<WindowId> WindowOf(HWND hwnd) const;
    UnitWidget* UnitOf(HWND hwnd);
    UnitWidget* Widget(UnitRef unit);
    HWND HandleOf(UnitRef unit);
    HWND DialogOwner() const;
    bool CreateUnit(const WindowDescription& description, std::size_t index, HWND below);
    void FocusFirst(WindowId id);
    void MoveFocus(WindowId id, bool backwards);
    bool PreTranslate(MSG& msg);
    void DispatchOne(MSG& msg);
    void PostUnitEvent(UnitRef unit, EventKind kind);
    void OnPostedEvent(WindowId id, WPARAM wparam, LPARAM lparam);
    void OnActivate(WindowId id, WPARAM wparam);
    LRESULT OnControlColour(WindowId id, HDC dc, HWND control, bool edit);
    void OnCommand(WPARAM wparam, LPARAM lparam);
    void EraseBackground(WindowId id, HDC dc);
    void EnableAll(bool enabled);

    // ---- The program's own controls (win32_controls.cpp) -----------------------
    void PaintUnit(UnitWidget& unit, HDC dc);
    void PaintTitleLabel(UnitWidget& unit, HDC dc, const RECT& area);
    void PaintTransparentLabel(UnitWidget& unit, HDC dc, const RECT& area);
    void PaintPicture(HDC dc, int x, int y, const RECT& clip);
    void PaintColourPicker(UnitWidget& unit, HDC dc, const RECT& area);
    void DrawCaption(UnitWidget& unit, HDC dc, RECT area);
    HFONT FontFor(const UnitWidget& unit) const;
    void OpenPalette(UnitWidget& picker);
    std::optional<Colour> ChooseMoreColours(HWND owner, Colour current, std::array<COLORREF, 16>& custom);
    bool HasPicture() const;
    // Decodes the picture on its first showing, off the start-up path.
    void EnsurePicture();
    void EnsureOle();

    // ---- The slots ------------------------------------------------------------------
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
    const CodePage& NativeCodePage() override { return *code_page_; }

    std::wstring Wide(std::string_view utf8) const;
    std::wstring WideFromCodePage(std::string_view bytes) const;

    HINSTANCE instance_;
    std::unique_ptr<CodePage> ansi_page_;
    const CodePage* code_page_ = nullptr;
    LateFunctions late_;
    std::optional<OleSession> ole_;
    bool picture_tried_ = false;
    GdiObject<HFONT> ui_font_;
    LOGFONTW ui_logfont_{};
    GdiObject<HBITMAP> picture_;
    SIZE picture_size_{};
    std::array<NativeWindow, kWindowCount> windows_;
    bool visual_style_on_ = false;
    HHOOK theme_hook_ = nullptr;
    HWND active_before_dialog_ = nullptr;
};

}  // namespace landuo::ui::win32
