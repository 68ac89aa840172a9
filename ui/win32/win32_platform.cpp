// The Win32 platform: windows, the message loop, properties, dialogs and
// program starts. The window procedures only translate messages and forward
// them to the named member functions; `this` lives in GWLP_USERDATA.
#include "ui/win32/win32_platform.h"

#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "ui/look.h"
#include "ui/win32/win32_controls.h"
#include "ui/win32/win32_program_search.h"
#include "ui/win32/win32_theme.h"

namespace landuo::ui::win32 {
namespace {

constexpr wchar_t kMessageCaption[] = L"澜朵~记事本";

struct WindowStart {
    Win32Platform* platform;
    WindowId id;
};

COLORREF ToColorRef(Colour colour) {
    return colour == kDefaultColourMarker ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour & 0x00FFFFFF);
}

std::wstring WideOf(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::u16string_view Utf16Of(const std::wstring& text) {
    return std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

// A label's caption as drawn: on one line, its line breaks showing nothing.
std::wstring OneLine(std::u16string_view text) {
    std::wstring line;
    line.reserve(text.size());
    for (char16_t c : text) {
        if (c != u'\r' && c != u'\n') line.push_back(static_cast<wchar_t>(c));
    }
    return line;
}

bool HasStyle(HWND hwnd, LONG_PTR style) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & style) == style; }

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* start = static_cast<const WindowStart*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(start->platform));
        SetWindowLongPtrW(hwnd, 0, static_cast<LONG_PTR>(start->id));
        start->platform->AttachWindow(start->id, hwnd);
    }
    auto* platform = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (platform == nullptr) {
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    const auto id = static_cast<WindowId>(GetWindowLongPtrW(hwnd, 0));
    return platform->OnWindowMessage(id, hwnd, message, wparam, lparam);
}

LRESULT CALLBACK UnitProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* unit = static_cast<UnitWidget*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        unit->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(unit));
    }
    auto* unit = reinterpret_cast<UnitWidget*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (unit == nullptr) {
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    return unit->platform->OnUnitMessage(*unit, message, wparam, lparam);
}

bool RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, int extra, HICON icon,
                   UINT style = 0) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = style;
    window_class.lpfnWndProc = procedure;
    window_class.cbWndExtra = extra;
    window_class.hInstance = instance;
    window_class.hIcon = icon;
    window_class.hIconSm = icon;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = name;
    return RegisterClassExW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LOGFONTW LogFontOf(const LogicalFont& font, const std::wstring& face) {
    LOGFONTW logfont{};
    logfont.lfHeight = font.height;
    logfont.lfWeight = font.weight;
    logfont.lfEscapement = font.escapement;
    logfont.lfOrientation = font.escapement;
    logfont.lfItalic = font.italic ? TRUE : FALSE;
    logfont.lfUnderline = font.underline ? TRUE : FALSE;
    logfont.lfStrikeOut = font.strike_out ? TRUE : FALSE;
    logfont.lfCharSet = DEFAULT_CHARSET;
    logfont.lfQuality = DEFAULT_QUALITY;
    face.copy(logfont.lfFaceName, LF_FACESIZE - 1);
    return logfont;
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

Win32Platform::Win32Platform(HINSTANCE instance, const HandlerTable& handlers)
    : Platform(handlers), instance_(instance), ansi_page_(MakeAnsiCodePage()), code_page_(ansi_page_.get()) {}

Win32Platform::~Win32Platform() {
    for (NativeWindow& window : windows_) {
        if (window.hwnd != nullptr) ::DestroyWindow(window.hwnd);
    }
    if (theme_hook_ != nullptr) SwitchThemedLookOff(std::exchange(theme_hook_, nullptr));
}

std::wstring Win32Platform::Wide(std::string_view utf8) const {
    return WideOf(DecodeToUtf16(utf8, Utf8CodePage()));
}

std::wstring Win32Platform::WideFromCodePage(std::string_view bytes) const {
    return WideOf(DecodeToUtf16(bytes, *code_page_));
}

// ---- Looking units up ---------------------------------------------------------------------

std::optional<WindowId> Win32Platform::WindowOf(HWND hwnd) const {
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        if (hwnd != nullptr && windows_[i].hwnd == hwnd) return static_cast<WindowId>(i);
    }
    return std::nullopt;
}

UnitWidget* Win32Platform::Widget(UnitRef unit) {
    NativeWindow& window = Window(unit.window);
    if (window.hwnd == nullptr || unit.index >= window.units.size()) return nullptr;
    return window.units[unit.index].get();
}

UnitWidget* Win32Platform::UnitOf(HWND hwnd) {
    const std::optional<WindowId> id = WindowOf(GetParent(hwnd));
    if (!id) return nullptr;
    const LONG_PTR index = GetWindowLongPtrW(hwnd, GWLP_ID) - kFirstUnitId;
    if (index < 0) return nullptr;
    UnitWidget* unit = Widget(UnitRef{*id, static_cast<std::uint16_t>(index)});
    return unit != nullptr && unit->hwnd == hwnd ? unit : nullptr;
}

HWND Win32Platform::HandleOf(UnitRef unit) {
    UnitWidget* widget = Widget(unit);
    return widget != nullptr ? widget->hwnd : nullptr;
}

HWND Win32Platform::DialogOwner() const {
    if (windows_[0].hwnd != nullptr) return windows_[0].hwnd;
    return windows_[1].hwnd;
}

HFONT Win32Platform::FontFor(const UnitWidget& unit) const {
    return unit.font ? unit.font.get() : ui_font_.get();
}

// ---- Start-up and shutdown ------------------------------------------------------------------

bool Win32Platform::NativeInitialise() {
    // DLLs only from the system folder: never one planted beside the program
    // or in a folder a dialog made current.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
    const std::wstring folder = ProgramFolder();
    if (!folder.empty()) SetCurrentDirectoryW(folder.c_str());

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        ui_logfont_ = metrics.lfMessageFont;
    } else {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof ui_logfont_, &ui_logfont_);
    }
    ui_font_.Reset(CreateFontIndirectW(&ui_logfont_));
    if (!ui_font_) return false;

    HICON icon = LoadIconW(instance_, MAKEINTRESOURCEW(kIconResource));
    const bool registered =
        RegisterWindowClass(instance_, kMainClass, WindowProc, sizeof(LONG_PTR), icon) &&
        RegisterWindowClass(instance_, kPromptClass, WindowProc, sizeof(LONG_PTR), icon) &&
        RegisterWindowClass(instance_, kTitleLabelClass, UnitProc, 0, nullptr) &&
        RegisterWindowClass(instance_, kTransparentLabelClass, UnitProc, 0, nullptr) &&
        RegisterWindowClass(instance_, kPictureClass, UnitProc, 0, nullptr) &&
        RegisterWindowClass(instance_, kColourPickerClass, UnitProc, 0, nullptr) &&
        RegisterWindowClass(instance_, kPaletteClass, PaletteProc, 0, nullptr, CS_DROPSHADOW);
    return registered && HasPicture();
}

void Win32Platform::NativeShutdown() {
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        if (windows_[i].hwnd != nullptr) NativeDestroyWindow(static_cast<WindowId>(i));
    }
    if (theme_hook_ != nullptr) SwitchThemedLookOff(std::exchange(theme_hook_, nullptr));
    picture_.Reset(nullptr);
}

// ---- The message loop ------------------------------------------------------------------------

bool Win32Platform::PreTranslate(MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    const std::optional<WindowId> id = WindowOf(GetAncestor(msg.hwnd, GA_ROOT));
    if (!id) return false;
    if (msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
        // The focus order is the description's, not the stacking order.
        MoveFocus(*id, GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    if (msg.wParam == VK_ESCAPE && DescriptionOf(*id).esc_closes) {
        InputCloseRequest(*id);
        return true;
    }
    return false;
}

void Win32Platform::DispatchOne(MSG& msg) {
    if (!PreTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int Win32Platform::NativeRunLoop() {
    MSG msg{};
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got < 0) return -1;
        DispatchOne(msg);
    }
}

void Win32Platform::NativeQuit(int exit_code) { PostQuitMessage(exit_code); }

void Win32Platform::NativeProcessPending() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        DispatchOne(msg);
    }
}

void Win32Platform::NativeShowFatalError(std::string_view message_utf8) {
    MessageBoxW(nullptr, Wide(message_utf8).c_str(), kMessageCaption, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

// ---- Building windows ---------------------------------------------------------------------------

bool Win32Platform::NativeBuildWindow(const WindowDescription& description) {
    NativeWindow& window = Window(description.id);
    window = NativeWindow{};
    window.back_colour = description.back_colour;
    window.brush.Reset(CreateSolidBrush(ToColorRef(description.back_colour)));

    const bool tool_window = description.frame == WindowFrame::ToolWindow;
    DWORD style = WS_POPUP | WS_CLIPCHILDREN;
    DWORD ex_style = 0;
    if (tool_window) {
        // A fixed frame with the narrow caption, a close box and nothing else.
        style |= WS_CAPTION | WS_SYSMENU;
        ex_style |= WS_EX_TOOLWINDOW;
    } else if (description.in_task_bar) {
        ex_style |= WS_EX_APPWINDOW;
    }
    const Size screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const Point place = CentredPlace(screen, description.outer_size);
    WindowStart start{this, description.id};
    HWND hwnd = CreateWindowExW(ex_style, tool_window ? kPromptClass : kMainClass, Wide(description.caption).c_str(),
                                style, place.x, place.y, description.outer_size.width,
                                description.outer_size.height, nullptr, nullptr, instance_, &start);
    if (hwnd == nullptr) {
        window = NativeWindow{};
        return false;
    }
    window.hwnd = hwnd;
    window.units.resize(description.units.size());
    HWND above = nullptr;
    for (std::size_t i = 0; i < description.units.size(); ++i) {
        if (!CreateUnit(description, i, above)) {
            ::DestroyWindow(hwnd);
            window = NativeWindow{};
            return false;
        }
        if (window.units[i]->hwnd != nullptr) above = window.units[i]->hwnd;
    }
    for (std::size_t i = 0; i < description.units.size(); ++i) {
        const UnitDescription& unit = description.units[i];
        if (unit.kind == UnitKind::Timer && unit.timer_interval_ms > 0) {
            SetTimer(hwnd, i + 1, static_cast<UINT>(unit.timer_interval_ms), nullptr);
        }
    }
    return true;
}

bool Win32Platform::CreateUnit(const WindowDescription& description, std::size_t index, HWND above) {
    const UnitDescription& unit = description.units[index];
    NativeWindow& window = Window(description.id);
    auto widget = std::make_unique<UnitWidget>();
    widget->platform = this;
    widget->ref = UnitRef{description.id, static_cast<std::uint16_t>(index)};
    widget->text_colour = unit.text_colour;
    widget->back_colour = unit.back_colour;
    widget->text = DecodeToUtf16(unit.caption, Utf8CodePage());
    widget->caption = OneLine(widget->text);
    if (unit.font) {
        const LogicalFont font{.height = -unit.font->height, .weight = unit.font->weight};
        const LOGFONTW logfont = LogFontOf(font, Wide(unit.font->face));
        widget->font.Reset(CreateFontIndirectW(&logfont));
    }
    UnitWidget& record = *widget;
    window.units[index] = std::move(widget);
    if (!IsVisual(unit.kind)) return true;

    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (unit.visible ? WS_VISIBLE : 0) | (unit.enabled ? 0 : WS_DISABLED);
    DWORD ex_style = 0;
    const wchar_t* class_name = nullptr;
    std::wstring text = record.caption;
    switch (unit.kind) {
    case UnitKind::Button:
        class_name = L"BUTTON";
        style |= WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | ((unit.flags & kCaptionWraps) ? BS_MULTILINE : 0);
        text = WideOf(record.text);
        break;
    case UnitKind::EditBox:
        class_name = L"EDIT";
        style |= WS_TABSTOP | ES_LEFT;
        if (unit.flags & kMultiLine) style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
        if (!(unit.flags & kWordWrap)) style |= ES_AUTOHSCROLL | WS_HSCROLL;
        if (unit.flags & kVerticalScrollBar) style |= WS_VSCROLL;
        if (!(unit.flags & kHideSelection)) style |= ES_NOHIDESEL;
        if (unit.flags & kSunkenEdge) ex_style |= WS_EX_CLIENTEDGE;
        text = WideOf(record.text);
        record.brush.Reset(CreateSolidBrush(ToColorRef(unit.back_colour)));
        break;
    case UnitKind::Label:
        class_name = kTitleLabelClass;
        break;
    case UnitKind::TransparentLabel:
        class_name = kTransparentLabelClass;
        break;
    case UnitKind::PictureBox:
        class_name = kPictureClass;
        text = L"图片";
        break;
    case UnitKind::ColourPicker: {
        class_name = kColourPickerClass;
        style |= WS_TABSTOP;
        // A screen reader names the picker after what its colour changes.
        text = L"颜色选择器";
        for (const Binding& binding : description.bindings) {
            if (binding.unit != unit.name) continue;
            if (binding.handler == HandlerId::SetEditBackground) text = L"编辑框背景颜色";
            if (binding.handler == HandlerId::SetWindowBackground) text = L"窗口背景颜色";
        }
        break;
    }
    case UnitKind::Window:
    case UnitKind::Timer:
    case UnitKind::CommonDialog:
        return true;
    }
    const bool own_class = unit.kind != UnitKind::Button && unit.kind != UnitKind::EditBox;
    HWND hwnd = CreateWindowExW(ex_style, class_name, own_class ? text.c_str() : L"", style, unit.rect.x, unit.rect.y,
                                unit.rect.width, unit.rect.height, window.hwnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstUnitId + index)), instance_,
                                own_class ? &record : nullptr);
    if (hwnd == nullptr) return false;
    record.hwnd = hwnd;
    // Topmost first: each unit goes right under the one before it.
    SetWindowPos(hwnd, above != nullptr ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(record)), FALSE);
    if (unit.kind == UnitKind::EditBox) {
        // No limit below the control's own maximum.
        SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
    }
    if (!own_class) {
        SetWindowTextW(hwnd, text.c_str());
    }
    if (unit.kind == UnitKind::EditBox) {
        SendMessageW(hwnd, EM_SETSEL, 0, 0);
        SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
    }
    return true;
}

void Win32Platform::NativeDestroyWindow(WindowId id) {
    NativeWindow& window = Window(id);
    if (window.hwnd == nullptr) return;
    for (std::size_t i = 0; i < window.units.size(); ++i) {
        KillTimer(window.hwnd, i + 1);
    }
    ::DestroyWindow(window.hwnd);
    window = NativeWindow{};
}

void Win32Platform::NativeShowWindow(WindowId id, bool visible) {
    HWND hwnd = Window(id).hwnd;
    if (hwnd == nullptr) return;
    if (!visible) {
        ShowWindow(hwnd, SW_HIDE);
        return;
    }
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    HWND focus = GetFocus();
    if (focus == nullptr || !IsChild(hwnd, focus)) FocusFirst(id);
    UpdateWindow(hwnd);
}

void Win32Platform::NativeRestoreOrActivate(WindowId id) {
    HWND hwnd = Window(id).hwnd;
    if (hwnd == nullptr) return;
    if (IsIconic(hwnd)) {
        ShowWindow(hwnd, SW_RESTORE);
    }
    // Activated means in front as well: a click on the other window may just
    // have raised that one.
    BringWindowToTop(hwnd);
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
}

void Win32Platform::EnableAll(bool enabled) {
    for (NativeWindow& window : windows_) {
        if (window.hwnd != nullptr) EnableWindow(window.hwnd, enabled ? TRUE : FALSE);
    }
}

void Win32Platform::NativeSetWindowsEnabled(bool enabled) {
    if (!enabled) {
        HWND active = GetActiveWindow();
        active_before_dialog_ = WindowOf(active) ? active : nullptr;
        EnableAll(false);
        return;
    }
    EnableAll(true);
    // The dialog's owner was disabled when the dialog closed, so the system
    // may have activated nothing of ours: give the activation back.
    HWND back = std::exchange(active_before_dialog_, nullptr);
    if (back == nullptr || !WindowOf(back)) back = DialogOwner();
    if (back != nullptr && IsWindowVisible(back) && !WindowOf(GetActiveWindow())) {
        SetForegroundWindow(back);
        SetActiveWindow(back);
    }
}

void Win32Platform::NativeSetVisualStyle(int scheme) {
    const bool on = look::ThemedLookOn(scheme);
    if (on && theme_hook_ == nullptr) {
        theme_hook_ = SwitchThemedLookOn();
    } else if (!on && theme_hook_ != nullptr) {
        SwitchThemedLookOff(std::exchange(theme_hook_, nullptr));
    }
}

void Win32Platform::NativeSetAlwaysOnTop(WindowId id, bool on_top) {
    HWND hwnd = Window(id).hwnd;
    if (hwnd == nullptr) return;
    SetWindowPos(hwnd, on_top ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- Focus ---------------------------------------------------------------------------------------

void Win32Platform::FocusFirst(WindowId id) {
    const WindowDescription& description = DescriptionOf(id);
    for (std::string_view name : description.focus_order) {
        for (std::size_t i = 0; i < description.units.size(); ++i) {
            if (description.units[i].name != name) continue;
            HWND hwnd = HandleOf(UnitRef{id, static_cast<std::uint16_t>(i)});
            if (hwnd != nullptr && HasStyle(hwnd, WS_VISIBLE) && IsWindowEnabled(hwnd)) {
                SetFocus(hwnd);
                return;
            }
        }
    }
}

void Win32Platform::MoveFocus(WindowId id, bool backwards) {
    const WindowDescription& description = DescriptionOf(id);
    std::vector<HWND> order;
    for (std::string_view name : description.focus_order) {
        for (std::size_t i = 0; i < description.units.size(); ++i) {
            if (description.units[i].name == name) order.push_back(HandleOf(UnitRef{id, static_cast<std::uint16_t>(i)}));
        }
    }
    if (order.empty()) return;
    const auto count = static_cast<int>(order.size());
    const auto found = std::find(order.begin(), order.end(), GetFocus());
    int position = found == order.end() ? (backwards ? 0 : -1) : static_cast<int>(found - order.begin());
    // A hidden or disabled unit is skipped; one only covered by another is not.
    for (int step = 0; step < count; ++step) {
        position = (position + (backwards ? count - 1 : 1)) % count;
        HWND candidate = order[static_cast<std::size_t>(position)];
        if (candidate != nullptr && HasStyle(candidate, WS_VISIBLE) && IsWindowEnabled(candidate)) {
            SetFocus(candidate);
            return;
        }
    }
}

void Win32Platform::OnActivate(WindowId id, WPARAM wparam) {
    NativeWindow& window = Window(id);
    if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window.hwnd, focus)) window.saved_focus = focus;
        return;
    }
    HWND saved = window.saved_focus;
    if (saved != nullptr && IsWindow(saved) && IsChild(window.hwnd, saved) && HasStyle(saved, WS_VISIBLE) &&
        IsWindowEnabled(saved)) {
        SetFocus(saved);
    } else {
        FocusFirst(id);
    }
}

// ---- Window messages ------------------------------------------------------------------------------

LRESULT Win32Platform::OnWindowMessage(WindowId id, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    const WindowDescription& description = DescriptionOf(id);
    switch (message) {
    case WM_NCHITTEST: {
        const LRESULT hit = DefWindowProcW(hwnd, message, wparam, lparam);
        // The background works as a title bar where the window is dragged by it.
        return description.drag_anywhere && hit == HTCLIENT ? HTCAPTION : hit;
    }
    case WM_NCLBUTTONDBLCLK:
        if (description.drag_anywhere) return 0;  // no maximising by the pretend title bar
        break;
    case WM_ERASEBKGND:
        EraseBackground(id, reinterpret_cast<HDC>(wparam));
        return 1;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return OnControlColour(id, reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam), true);
    case WM_CTLCOLORBTN:
        return OnControlColour(id, reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam), false);
    case WM_COMMAND:
        OnCommand(wparam, lparam);
        return 0;
    case WM_TIMER:
        if (wparam >= 1 && wparam <= Window(id).units.size()) {
            InputEvent(UnitRef{id, static_cast<std::uint16_t>(wparam - 1)}, EventKind::Tick);
        }
        return 0;
    case kUnitEventMessage:
        OnPostedEvent(id, wparam, lparam);
        return 0;
    case WM_ACTIVATE:
        OnActivate(id, wparam);
        return 0;
    case WM_CLOSE:
        // The frame decides; it destroys the window through NativeDestroyWindow.
        InputCloseRequest(id);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

void Win32Platform::EraseBackground(WindowId id, HDC dc) {
    RECT area;
    GetClientRect(Window(id).hwnd, &area);
    FillRect(dc, &area, Window(id).brush.get());
}

LRESULT Win32Platform::OnControlColour(WindowId id, HDC dc, HWND control, bool edit) {
    UnitWidget* unit = UnitOf(control);
    if (edit && unit != nullptr && unit->brush) {
        SetTextColor(dc, ToColorRef(unit->text_colour));
        SetBkColor(dc, ToColorRef(unit->back_colour));
        return reinterpret_cast<LRESULT>(unit->brush.get());
    }
    SetBkColor(dc, ToColorRef(Window(id).back_colour));
    return reinterpret_cast<LRESULT>(Window(id).brush.get());
}

void Win32Platform::OnCommand(WPARAM wparam, LPARAM lparam) {
    if (HIWORD(wparam) != BN_CLICKED || lparam == 0) return;
    if (UnitWidget* unit = UnitOf(reinterpret_cast<HWND>(lparam))) {
        PostUnitEvent(unit->ref, EventKind::Click);
    }
}

void Win32Platform::PostUnitEvent(UnitRef unit, EventKind kind) {
    HWND hwnd = Window(unit.window).hwnd;
    if (hwnd != nullptr) {
        PostMessageW(hwnd, kUnitEventMessage, unit.index, static_cast<LPARAM>(kind));
    }
}

void Win32Platform::OnPostedEvent(WindowId id, WPARAM wparam, LPARAM lparam) {
    // Posted to the unit's own window, so a unit of a window gone since is never reached.
    if (wparam < Window(id).units.size()) {
        InputEvent(UnitRef{id, static_cast<std::uint16_t>(wparam)}, static_cast<EventKind>(lparam));
    }
}

// ---- Units' messages -------------------------------------------------------------------------------

LRESULT Win32Platform::OnUnitMessage(UnitWidget& unit, UINT message, WPARAM wparam, LPARAM lparam) {
    const UnitDescription& description = DescriptionOf(unit.ref);
    HWND hwnd = unit.hwnd;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        PaintUnit(unit, dc);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintUnit(unit, reinterpret_cast<HDC>(wparam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        // Labels and pictures are handles for dragging the window they are on.
        if (DescriptionOf(unit.ref.window).drag_anywhere &&
            (description.kind == UnitKind::Label || description.kind == UnitKind::PictureBox)) {
            return HTTRANSPARENT;
        }
        break;
    case WM_SETCURSOR:
        if (description.pointer == Pointer::Hand) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
        PostUnitEvent(unit.ref, EventKind::LeftPress);
        if (description.kind == UnitKind::ColourPicker) {
            SetFocus(hwnd);
            OpenPalette(unit);
        }
        return 0;
    case WM_KEYDOWN:
        if (description.kind == UnitKind::ColourPicker &&
            (wparam == VK_SPACE || wparam == VK_RETURN || wparam == VK_F4 || wparam == VK_DOWN)) {
            OpenPalette(unit);
            return 0;
        }
        break;
    case WM_GETDLGCODE:
        if (description.kind == UnitKind::ColourPicker) return DLGC_WANTARROWS;
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, FALSE);
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

// ---- Properties --------------------------------------------------------------------------------------

void Win32Platform::NativeSetVisible(UnitRef unit, bool visible) {
    HWND hwnd = HandleOf(unit);
    if (hwnd == nullptr) return;
    ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

EncodedText Win32Platform::NativeReadText(UnitRef unit) {
    UnitWidget* widget = Widget(unit);
    if (widget == nullptr) return {};
    const UnitKind kind = DescriptionOf(unit).kind;
    if ((kind == UnitKind::EditBox || kind == UnitKind::Button) && widget->hwnd != nullptr) {
        const int length = GetWindowTextLengthW(widget->hwnd);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const int got = GetWindowTextW(widget->hwnd, text.data(), length + 1);
        text.resize(static_cast<std::size_t>(std::max(got, 0)));
        return EncodeFromUtf16(Utf16Of(text), *code_page_);
    }
    return EncodeFromUtf16(widget->text, *code_page_);
}

void Win32Platform::NativeSetText(UnitRef unit, std::string text) {
    UnitWidget* widget = Widget(unit);
    if (widget == nullptr || widget->hwnd == nullptr) return;
    std::u16string wide = DecodeToUtf16(text, *code_page_);
    text = std::string();  // a 100 MB text is not kept twice longer than needed
    const UnitKind kind = DescriptionOf(unit).kind;
    if (kind == UnitKind::EditBox || kind == UnitKind::Button) {
        SetWindowTextW(widget->hwnd, reinterpret_cast<const wchar_t*>(wide.c_str()));
        return;
    }
    widget->text = std::move(wide);
    widget->caption = OneLine(widget->text);
    SetWindowTextW(widget->hwnd, widget->caption.c_str());
    // The label draws what lies under it itself, so only it is repainted.
    InvalidateRect(widget->hwnd, nullptr, FALSE);
}

void Win32Platform::NativeSetTextColour(UnitRef unit, Colour colour) {
    UnitWidget* widget = Widget(unit);
    if (widget == nullptr) return;
    widget->text_colour = colour;
    if (widget->hwnd != nullptr) InvalidateRect(widget->hwnd, nullptr, TRUE);
}

void Win32Platform::NativeSetBackColour(UnitRef unit, Colour colour) {
    if (unit.index == kWindowSelf) {
        NativeWindow& window = Window(unit.window);
        if (window.hwnd == nullptr) return;
        window.back_colour = colour;
        window.brush.Reset(CreateSolidBrush(ToColorRef(colour)));
        RedrawWindow(window.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return;
    }
    UnitWidget* widget = Widget(unit);
    if (widget == nullptr) return;
    widget->back_colour = colour;
    if (widget->brush) widget->brush.Reset(CreateSolidBrush(ToColorRef(colour)));
    if (widget->hwnd != nullptr) InvalidateRect(widget->hwnd, nullptr, TRUE);
}

void Win32Platform::NativeSetFont(UnitRef unit, const LogicalFont* font) {
    UnitWidget* widget = Widget(unit);
    if (widget == nullptr) return;
    // The control lets go of the old font before it is deleted.
    GdiObject<HFONT> old = std::move(widget->font);
    if (font != nullptr) {
        const LOGFONTW logfont = LogFontOf(*font, WideFromCodePage(font->face));
        widget->font.Reset(CreateFontIndirectW(&logfont));
    }
    if (widget->hwnd != nullptr) {
        SendMessageW(widget->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(*widget)), TRUE);
        InvalidateRect(widget->hwnd, nullptr, TRUE);
    }
}

Colour Win32Platform::NativeGetPickerColour(UnitRef picker) {
    UnitWidget* widget = Widget(picker);
    return widget != nullptr ? widget->back_colour : 0;
}

std::size_t Win32Platform::NativeTextCapacity(UnitRef edit_box) {
    HWND hwnd = HandleOf(edit_box);
    if (hwnd == nullptr) return 0;
    return static_cast<std::size_t>(SendMessageW(hwnd, EM_GETLIMITTEXT, 0, 0));
}

// ---- Dialogs and messages ------------------------------------------------------------------------------

std::optional<std::filesystem::path> Win32Platform::NativeFileDialog(const FileDialogRequest& request) {
    std::wstring file(32768, L'\0');
    const std::wstring proposed = request.file_name.wstring();
    proposed.copy(file.data(), std::min(proposed.size(), file.size() - 1));
    std::wstring filter = Wide(request.filter_name);
    filter.push_back(L'\0');
    filter += Wide(request.filter_pattern);
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    const std::wstring title = Wide(request.title);
    const std::wstring extension = Wide(request.default_extension);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = DialogOwner();
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = OFN_EXPLORER | (request.file_must_exist ? OFN_FILEMUSTEXIST : 0) |
                   (request.path_must_exist ? OFN_PATHMUSTEXIST : 0) |
                   (request.overwrite_prompt ? OFN_OVERWRITEPROMPT : 0) |
                   (request.hide_read_only ? OFN_HIDEREADONLY : 0);
    EnsureOle();
    auto show = late_.comdlg32.Get<BOOL WINAPI(OPENFILENAMEW*)>(
        request.kind == DialogKind::SaveFile ? "GetSaveFileNameW" : "GetOpenFileNameW");
    if (show == nullptr || !show(&dialog)) return std::nullopt;
    file.resize(std::wcslen(file.c_str()));
    return std::filesystem::path(file);
}

std::optional<FontDialogResult> Win32Platform::NativeFontDialog(const FontDialogRequest& request) {
    LOGFONTW logfont = LogFontOf(request.initial, WideFromCodePage(request.initial.face));
    const bool has_start = !request.initial.face.empty() || request.initial.height != 0 ||
                           request.initial.weight != 0 || request.initial.italic || request.initial.underline ||
                           request.initial.strike_out;
    CHOOSEFONTW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = DialogOwner();
    dialog.lpLogFont = &logfont;
    dialog.rgbColors = ToColorRef(request.colour);
    dialog.Flags = (request.screen_fonts ? CF_SCREENFONTS : 0) | (request.effects ? CF_EFFECTS : 0) |
                   (has_start ? CF_INITTOLOGFONTSTRUCT : 0);
    auto choose = late_.comdlg32.Get<BOOL WINAPI(CHOOSEFONTW*)>("ChooseFontW");
    if (choose == nullptr || !choose(&dialog)) return std::nullopt;
    const std::wstring face(logfont.lfFaceName);
    FontDialogResult result;
    result.chosen = LogicalFont{
        .height = logfont.lfHeight,
        .weight = logfont.lfWeight,
        .escapement = logfont.lfEscapement,
        .italic = logfont.lfItalic != 0,
        .underline = logfont.lfUnderline != 0,
        .strike_out = logfont.lfStrikeOut != 0,
        .face = EncodeFromUtf16(Utf16Of(face), *code_page_).bytes,
    };
    result.colour = static_cast<Colour>(dialog.rgbColors & 0x00FFFFFF);
    return result;
}

void Win32Platform::NativeShowErrorMessage(std::string_view message_utf8) {
    // Nothing of the program takes input while the message is up.
    HWND active = GetActiveWindow();
    EnableAll(false);
    MessageBoxW(DialogOwner(), Wide(message_utf8).c_str(), kMessageCaption, MB_OK | MB_ICONWARNING);
    EnableAll(true);
    if (WindowOf(active)) SetActiveWindow(active);
}

// ---- System ---------------------------------------------------------------------------------------------

bool Win32Platform::NativeRunCommandLine(std::string_view command_line, bool wait) {
    const CommandLineParts parts = SplitCommandLine(WideFromCodePage(command_line));
    const std::optional<std::wstring> program = FindProgram(parts.program);
    if (!program) return false;
    std::wstring line = L"\"" + *program + L"\"";
    if (!parts.arguments.empty()) line += L" " + parts.arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program->c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        return false;
    }
    const KernelHandle process(started.hProcess);
    const KernelHandle thread(started.hThread);
    WaitForInputIdle(process.get(), 1000);
    if (wait) WaitForSingleObject(process.get(), INFINITE);
    return true;
}

bool Win32Platform::NativeShellOpen(std::string_view path) {
    const std::wstring wide = WideFromCodePage(path);
    EnsureOle();
    auto execute =
        late_.shell32.Get<HINSTANCE WINAPI(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT)>("ShellExecuteW");
    if (execute == nullptr) return false;
    const auto result =
        reinterpret_cast<INT_PTR>(execute(DialogOwner(), nullptr, wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

LocalTime Win32Platform::NativeLocalTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

int Win32Platform::NativePixelsPerInchY() {
    const ScreenDc screen;
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

LogicalFont Win32Platform::NativeDefaultUiFont() {
    const std::wstring face(ui_logfont_.lfFaceName);
    return LogicalFont{
        .height = ui_logfont_.lfHeight,
        .weight = ui_logfont_.lfWeight,
        .escapement = ui_logfont_.lfEscapement,
        .italic = ui_logfont_.lfItalic != 0,
        .underline = ui_logfont_.lfUnderline != 0,
        .strike_out = ui_logfont_.lfStrikeOut != 0,
        .face = EncodeFromUtf16(Utf16Of(face), *code_page_).bytes,
    };
}

}  // namespace landuo::ui::win32
