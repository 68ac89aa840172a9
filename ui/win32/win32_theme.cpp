#include "ui/win32/win32_theme.h"

#include <commctrl.h>

#include <cwchar>

#include "ui/look.h"

namespace landuo::ui::win32 {
namespace {

constexpr UINT_PTR kButtonSubclass = 0x4C44'4201;
constexpr UINT_PTR kEditSubclass = 0x4C44'4502;

COLORREF Ref(Colour colour) { return static_cast<COLORREF>(colour); }

bool IsPushButton(HWND hwnd) {
    const LONG_PTR type = GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

enum class Themed { None, Button, Edit };

Themed KindOf(HWND hwnd) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    if (_wcsicmp(name, L"Button") == 0) return Themed::Button;
    if (_wcsicmp(name, L"Edit") == 0) return Themed::Edit;
    return Themed::None;
}

void FillRow(HDC dc, int left, int right, int y, Colour colour) {
    SetDCBrushColor(dc, Ref(colour));
    const RECT row{left, y, right, y + 1};
    FillRect(dc, &row, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// A flat button: the parent's background in the corners, a rounded 1-pixel
// border and a vertical gradient face; lit under the mouse, darker while
// pressed, greyed when disabled.
void PaintButton(HWND hwnd, HDC dc, bool hot) {
    RECT area;
    GetClientRect(hwnd, &area);
    const int width = area.right;
    const int height = area.bottom;
    HWND parent = GetParent(hwnd);
    auto parent_brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent != nullptr ? parent : hwnd, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(hwnd)));
    FillRect(dc, &area, parent_brush != nullptr ? parent_brush : GetSysColorBrush(COLOR_BTNFACE));

    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    const bool pressed = (SendMessageW(hwnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    Colour top = look::kButtonFaceTop;
    Colour bottom = look::kButtonFaceBottom;
    if (!enabled) {
        top = bottom = look::kButtonDisabledFace;
    } else if (pressed) {
        top = look::kButtonPressedTop;
        bottom = look::kButtonPressedBottom;
    } else if (hot) {
        top = look::kButtonHotTop;
        bottom = look::kButtonHotBottom;
    }
    const int corner = look::kButtonCornerRadius * 2;
    HRGN face = CreateRoundRectRgn(0, 0, width + 1, height + 1, corner, corner);
    SelectClipRgn(dc, face);
    for (int y = 0; y < height; ++y) {
        FillRow(dc, 0, width, y, look::FaceRow(y, height, top, bottom));
    }
    SelectClipRgn(dc, nullptr);
    DeleteObject(face);

    HPEN border = CreatePen(PS_SOLID, 1, Ref(enabled ? look::kButtonBorder : look::kButtonDisabledBorder));
    HGDIOBJ old_pen = SelectObject(dc, border);
    HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, 0, 0, width, height, corner, corner);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(border);

    wchar_t caption[256] = {};
    GetWindowTextW(hwnd, caption, 256);
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    HGDIOBJ old_font = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Ref(enabled ? look::kButtonText : look::kButtonDisabledText));
    RECT text = area;
    InflateRect(&text, -2, -1);
    if (pressed) OffsetRect(&text, 1, 1);
    // Centred both ways; a caption too wide for one line wraps.
    RECT measured = text;
    DrawTextW(dc, caption, -1, &measured, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
    const int lines_height = measured.bottom - measured.top;
    if (lines_height < text.bottom - text.top) {
        text.top += (text.bottom - text.top - lines_height) / 2;
    }
    DrawTextW(dc, caption, -1, &text, DT_CENTER | DT_WORDBREAK);
    SelectObject(dc, old_font);
    if (GetFocus() == hwnd && (SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0) {
        RECT focus = area;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR hot) {
    if (!IsPushButton(hwnd)) {
        return DefSubclassProc(hwnd, message, wparam, lparam);
    }
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        PaintButton(hwnd, dc, hot != 0);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintButton(hwnd, reinterpret_cast<HDC>(wparam), hot != 0);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
        if (hot == 0) {
            // The subclass's data is the hot state; leaving the button clears it.
            SetWindowSubclass(hwnd, ButtonProc, kButtonSubclass, 1);
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
            TrackMouseEvent(&track);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        break;
    case WM_MOUSELEAVE:
        SetWindowSubclass(hwnd, ButtonProc, kButtonSubclass, 0);
        InvalidateRect(hwnd, nullptr, FALSE);
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, ButtonProc, kButtonSubclass);
        break;
    default:
        break;
    }
    // The standard button draws itself straight away on many state changes;
    // the themed face is put back over it.
    const LRESULT result = DefSubclassProc(hwnd, message, wparam, lparam);
    switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE:
        if (IsWindow(hwnd)) InvalidateRect(hwnd, nullptr, FALSE);
        break;
    default:
        break;
    }
    return result;
}

// An edit box's sunken edge becomes a flat frame with an inner line in the
// window colour, the same two pixels wide.
void PaintEditFrame(HWND hwnd) {
    if ((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) == 0) return;
    HDC dc = GetWindowDC(hwnd);
    RECT outer;
    GetWindowRect(hwnd, &outer);
    OffsetRect(&outer, -outer.left, -outer.top);
    HBRUSH frame = CreateSolidBrush(Ref(look::kEditFrame));
    FrameRect(dc, &outer, frame);
    DeleteObject(frame);
    InflateRect(&outer, -1, -1);
    FrameRect(dc, &outer, GetSysColorBrush(COLOR_WINDOW));
    ReleaseDC(hwnd, dc);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, EditProc, kEditSubclass);
        return DefSubclassProc(hwnd, message, wparam, lparam);
    }
    const LRESULT result = DefSubclassProc(hwnd, message, wparam, lparam);
    if (message == WM_NCPAINT || message == WM_SETFOCUS || message == WM_KILLFOCUS || message == WM_ENABLE ||
        message == WM_SIZE) {
        PaintEditFrame(hwnd);
    }
    return result;
}

void Theme(HWND hwnd) {
    switch (KindOf(hwnd)) {
    case Themed::Button:
        SetWindowSubclass(hwnd, ButtonProc, kButtonSubclass, 0);
        break;
    case Themed::Edit:
        SetWindowSubclass(hwnd, EditProc, kEditSubclass, 0);
        break;
    case Themed::None:
        break;
    }
}

void Unthemed(HWND hwnd) {
    RemoveWindowSubclass(hwnd, ButtonProc, kButtonSubclass);
    RemoveWindowSubclass(hwnd, EditProc, kEditSubclass);
}

LRESULT CALLBACK CreationHook(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND) {
        Theme(reinterpret_cast<HWND>(wparam));
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

BOOL CALLBACK ThemeChild(HWND hwnd, LPARAM on) {
    if (on != 0) {
        Theme(hwnd);
    } else {
        Unthemed(hwnd);
    }
    return TRUE;
}

BOOL CALLBACK ThemeTopLevel(HWND hwnd, LPARAM on) {
    ThemeChild(hwnd, on);
    EnumChildWindows(hwnd, ThemeChild, on);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return TRUE;
}

}  // namespace

HHOOK SwitchThemedLookOn() {
    HHOOK hook = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
    if (hook != nullptr) {
        EnumThreadWindows(GetCurrentThreadId(), ThemeTopLevel, 1);
    }
    return hook;
}

void SwitchThemedLookOff(HHOOK hook) {
    if (hook == nullptr) return;
    UnhookWindowsHookEx(hook);
    EnumThreadWindows(GetCurrentThreadId(), ThemeTopLevel, 0);
}

}  // namespace landuo::ui::win32
