// The program's own controls: the title label's gradient, the transparent
// labels, the picture box and the colour pickers with their palette.
#include "ui/win32/win32_platform.h"

#include <commdlg.h>
#include <ole2.h>
#include <olectl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "ui/look.h"
#include "ui/win32/win32_controls.h"

namespace landuo::ui::win32 {
namespace {

constexpr int kMoreCell = static_cast<int>(look::kPalette.size());
constexpr int kPaletteRows =
    (static_cast<int>(look::kPalette.size()) + look::kPaletteColumns - 1) / look::kPaletteColumns;
constexpr int kPaletteWidth = 2 * kPaletteMargin + look::kPaletteColumns * kPaletteCell;
constexpr int kPaletteHeight = 2 * kPaletteMargin + kPaletteRows * kPaletteCell + kPaletteMoreHeight;

COLORREF Ref(Colour colour) {
    return colour == kDefaultColourMarker ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour & 0x00FFFFFF);
}

void Fill(HDC dc, const RECT& area, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// What the palette's message loop and its window share.
struct PaletteState {
    int hot = -1;
    HFONT font = nullptr;
};

RECT CellRect(int cell) {
    if (cell == kMoreCell) {
        const int top = kPaletteMargin + kPaletteRows * kPaletteCell;
        return RECT{kPaletteMargin, top, kPaletteWidth - kPaletteMargin, top + kPaletteMoreHeight};
    }
    const int column = cell % look::kPaletteColumns;
    const int row = cell / look::kPaletteColumns;
    const int left = kPaletteMargin + column * kPaletteCell;
    const int top = kPaletteMargin + row * kPaletteCell;
    return RECT{left, top, left + kPaletteCell, top + kPaletteCell};
}

int CellAt(POINT point) {
    for (int cell = 0; cell <= kMoreCell; ++cell) {
        const RECT area = CellRect(cell);
        if (PtInRect(&area, point)) return cell;
    }
    return -1;
}

void PaintPalette(HWND hwnd, HDC dc, const PaletteState& state) {
    RECT area;
    GetClientRect(hwnd, &area);
    Fill(dc, area, GetSysColor(COLOR_WINDOW));
    for (int cell = 0; cell < kMoreCell; ++cell) {
        RECT swatch = CellRect(cell);
        if (cell == state.hot) {
            Fill(dc, swatch, GetSysColor(COLOR_HIGHLIGHT));
        }
        InflateRect(&swatch, -2, -2);
        Fill(dc, swatch, GetSysColor(COLOR_BTNSHADOW));
        InflateRect(&swatch, -1, -1);
        Fill(dc, swatch, Ref(look::kPalette[static_cast<std::size_t>(cell)].colour));
    }
    RECT more = CellRect(kMoreCell);
    const bool hot = state.hot == kMoreCell;
    if (hot) Fill(dc, more, GetSysColor(COLOR_HIGHLIGHT));
    HGDIOBJ old_font = SelectObject(dc, state.font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(dc, L"其它颜色...", -1, &more, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old_font);
}

}  // namespace

LRESULT CALLBACK PaletteProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
    }
    const auto* state = reinterpret_cast<const PaletteState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        if (state != nullptr) PaintPalette(hwnd, dc, *state);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

// ---- Painting ------------------------------------------------------------------------------

void Win32Platform::PaintUnit(UnitWidget& unit, HDC dc) {
    RECT area;
    GetClientRect(unit.hwnd, &area);
    if (area.right <= 0 || area.bottom <= 0) return;
    // Drawn off screen first, so the clock's labels never flicker.
    HDC buffer = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, area.right, area.bottom);
    HGDIOBJ old_bitmap = SelectObject(buffer, bitmap);
    switch (DescriptionOf(unit.ref).kind) {
    case UnitKind::Label:
        PaintTitleLabel(unit, buffer, area);
        break;
    case UnitKind::TransparentLabel:
        PaintTransparentLabel(unit, buffer, area);
        break;
    case UnitKind::PictureBox:
        Fill(buffer, area, GetSysColor(COLOR_BTNFACE));
        PaintPicture(buffer, 0, 0, area);
        break;
    case UnitKind::ColourPicker:
        PaintColourPicker(unit, buffer, area);
        break;
    default:
        break;
    }
    BitBlt(dc, 0, 0, area.right, area.bottom, buffer, 0, 0, SRCCOPY);
    SelectObject(buffer, old_bitmap);
    DeleteObject(bitmap);
    DeleteDC(buffer);
}

void Win32Platform::DrawCaption(UnitWidget& unit, HDC dc, RECT area) {
    HGDIOBJ old_font = SelectObject(dc, FontFor(unit));
    SetBkMode(dc, TRANSPARENT);
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    if (const std::optional<look::EffectPass> pass = look::UnderPass(DescriptionOf(unit.ref).effect)) {
        RECT under = area;
        OffsetRect(&under, pass->dx, pass->dy);
        SetTextColor(dc, Ref(pass->colour));
        DrawTextW(dc, unit.caption.c_str(), static_cast<int>(unit.caption.size()), &under, format);
    }
    SetTextColor(dc, Ref(unit.text_colour));
    DrawTextW(dc, unit.caption.c_str(), static_cast<int>(unit.caption.size()), &area, format);
    SelectObject(dc, old_font);
}

void Win32Platform::PaintTitleLabel(UnitWidget& unit, HDC dc, const RECT& area) {
    RECT inner = area;
    if (DescriptionOf(unit.ref).flags & kSunkenEdge) {
        DrawEdge(dc, &inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    const int rows = inner.bottom - inner.top;
    for (int y = 0; y < rows; ++y) {
        const RECT row{inner.left, inner.top + y, inner.right, inner.top + y + 1};
        Fill(dc, row, Ref(look::GradientRow(y, rows)));
    }
    DrawCaption(unit, dc, inner);
}

void Win32Platform::PaintTransparentLabel(UnitWidget& unit, HDC dc, const RECT& area) {
    // What lies under the label: the window's background, then any picture
    // box lower in the stacking order, then the caption over both.
    Fill(dc, area, Ref(Window(unit.ref.window).back_colour));
    const WindowDescription& window = DescriptionOf(unit.ref.window);
    const Rect& own = window.units[unit.ref.index].rect;
    for (std::size_t i = unit.ref.index + 1u; i < window.units.size(); ++i) {
        const UnitDescription& below = window.units[i];
        if (below.kind != UnitKind::PictureBox) continue;
        HWND hwnd = HandleOf(UnitRef{unit.ref.window, static_cast<std::uint16_t>(i)});
        if (hwnd == nullptr || (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) == 0) continue;
        const RECT box{below.rect.x - own.x, below.rect.y - own.y, below.rect.x - own.x + below.rect.width,
                       below.rect.y - own.y + below.rect.height};
        RECT overlap;
        if (!IntersectRect(&overlap, &box, &area)) continue;
        Fill(dc, overlap, GetSysColor(COLOR_BTNFACE));
        PaintPicture(dc, box.left, box.top, overlap);
    }
    DrawCaption(unit, dc, area);
}

void Win32Platform::PaintPicture(HDC dc, int x, int y, const RECT& clip) {
    EnsurePicture();
    if (!picture_) return;
    // At its natural size from the box's top-left corner, cut at the box's edges.
    const RECT picture{x, y, x + picture_size_.cx, y + picture_size_.cy};
    RECT shown;
    if (!IntersectRect(&shown, &picture, &clip)) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, picture_.get());
    BitBlt(dc, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top, source, shown.left - x,
           shown.top - y, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

void Win32Platform::PaintColourPicker(UnitWidget& unit, HDC dc, const RECT& area) {
    const bool enabled = IsWindowEnabled(unit.hwnd) != FALSE;
    Fill(dc, area, GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    RECT inner = area;
    DrawEdge(dc, &inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    // The drop-down arrow on the right, the swatch filling the rest.
    constexpr int kArrowWidth = 14;
    RECT arrow{inner.right - kArrowWidth, inner.top, inner.right, inner.bottom};
    DrawFrameControl(dc, &arrow, DFC_SCROLL, DFCS_SCROLLDOWN | (enabled ? 0 : DFCS_INACTIVE));
    RECT swatch{inner.left + 2, inner.top + 2, arrow.left - 2, inner.bottom - 2};
    Fill(dc, swatch, GetSysColor(COLOR_WINDOWTEXT));
    InflateRect(&swatch, -1, -1);
    Fill(dc, swatch, Ref(unit.back_colour));
    if (GetFocus() == unit.hwnd) {
        RECT focus{inner.left + 1, inner.top + 1, arrow.left - 1, inner.bottom - 1};
        DrawFocusRect(dc, &focus);
    }
}

// ---- The picture --------------------------------------------------------------------------------

bool Win32Platform::HasPicture() const {
    return FindResourceW(instance_, MAKEINTRESOURCEW(kPictureResource), MAKEINTRESOURCEW(10)) != nullptr;
}

void Win32Platform::EnsureOle() {
    if (!ole_) ole_.emplace(late_.ole32);
}

void Win32Platform::EnsurePicture() {
    if (std::exchange(picture_tried_, true)) return;
    EnsureOle();
    auto make_stream = late_.ole32.Get<HRESULT WINAPI(HGLOBAL, BOOL, LPSTREAM*)>("CreateStreamOnHGlobal");
    auto load_picture = late_.oleaut32.Get<HRESULT WINAPI(LPSTREAM, LONG, BOOL, REFIID, LPVOID*)>("OleLoadPicture");
    if (make_stream == nullptr || load_picture == nullptr) return;
    HRSRC found = FindResourceW(instance_, MAKEINTRESOURCEW(kPictureResource), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (found == nullptr) return;
    HGLOBAL loaded = LoadResource(instance_, found);
    const DWORD size = SizeofResource(instance_, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0) return;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (copy == nullptr) return;
    void* target = GlobalLock(copy);
    std::memcpy(target, bytes, size);
    GlobalUnlock(copy);
    ComPtr<IStream> stream;
    if (FAILED(make_stream(copy, TRUE, stream.Receive()))) {
        GlobalFree(copy);
        return;
    }
    ComPtr<IPicture> picture;
    if (FAILED(load_picture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(picture.Receive())))) {
        return;
    }
    OLE_HANDLE handle = 0;
    if (FAILED(picture->get_Handle(&handle)) || handle == 0) return;
    // A copy of our own, so the decoder can go now.
    auto decoded = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    picture_.Reset(static_cast<HBITMAP>(CopyImage(decoded, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP info{};
    if (!picture_ || GetObjectW(picture_.get(), sizeof info, &info) == 0) {
        picture_.Reset(nullptr);
        return;
    }
    picture_size_ = SIZE{info.bmWidth, info.bmHeight};
}

// ---- The palette ---------------------------------------------------------------------------------

void Win32Platform::OpenPalette(UnitWidget& picker) {
    HWND owner = GetAncestor(picker.hwnd, GA_ROOT);
    RECT below;
    GetWindowRect(picker.hwnd, &below);
    const int outer_width = kPaletteWidth + 2;
    const int outer_height = kPaletteHeight + 2;
    int x = below.left;
    int y = below.bottom;
    const int screen_width = GetSystemMetrics(SM_CXSCREEN);
    const int screen_height = GetSystemMetrics(SM_CYSCREEN);
    if (y + outer_height > screen_height) y = below.top - outer_height;
    x = std::max(0, std::min(x, screen_width - outer_width));

    PaletteState state;
    state.font = ui_font_.get();
    for (int cell = 0; cell < kMoreCell; ++cell) {
        if (look::kPalette[static_cast<std::size_t>(cell)].colour == picker.back_colour) state.hot = cell;
    }
    HWND popup = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kPaletteClass, L"调色板",
                                 WS_POPUP | WS_BORDER, x, y, outer_width, outer_height, owner, nullptr, instance_,
                                 &state);
    if (popup == nullptr) return;
    ShowWindow(popup, SW_SHOWNA);
    UpdateWindow(popup);
    SetCapture(popup);

    // A loop of its own, as a menu has: the clock keeps ticking, a click
    // outside or Esc closes the palette, a click on a swatch chooses.
    int chosen = -1;
    bool open = true;
    auto set_hot = [&](int cell) {
        if (cell != state.hot) {
            state.hot = cell;
            InvalidateRect(popup, nullptr, FALSE);
        }
    };
    while (open) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        const POINT point{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        switch (msg.message) {
        case WM_MOUSEMOVE:
            if (msg.hwnd == popup) set_hot(CellAt(point));
            continue;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN: {
            RECT client;
            GetClientRect(popup, &client);
            if (msg.hwnd != popup || msg.message == WM_NCLBUTTONDOWN || msg.message == WM_NCRBUTTONDOWN ||
                !PtInRect(&client, point)) {
                open = false;
            }
            continue;
        }
        case WM_LBUTTONUP:
            if (msg.hwnd == popup && CellAt(point) >= 0) {
                chosen = CellAt(point);
                open = false;
            }
            continue;
        case WM_KEYDOWN:
            switch (msg.wParam) {
            case VK_ESCAPE:
            case VK_TAB:
                open = false;
                break;
            case VK_RETURN:
            case VK_SPACE:
                chosen = state.hot;
                open = false;
                break;
            case VK_LEFT:
                set_hot(std::max(0, state.hot - 1));
                break;
            case VK_RIGHT:
                set_hot(std::min(kMoreCell, state.hot + 1));
                break;
            case VK_UP:
                set_hot(state.hot == kMoreCell ? kMoreCell - 1 : std::max(0, state.hot - look::kPaletteColumns));
                break;
            case VK_DOWN:
                set_hot(std::min(kMoreCell, state.hot < 0 ? 0 : state.hot + look::kPaletteColumns));
                break;
            default:
                break;
            }
            continue;
        case WM_CHAR:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
            continue;
        default:
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (GetCapture() != popup) open = false;
    }
    if (GetCapture() == popup) ReleaseCapture();
    ::DestroyWindow(popup);

    // A close request may have taken the window away meanwhile.
    const UnitRef ref = picker.ref;
    const HWND picker_hwnd = picker.hwnd;
    auto still_there = [&]() -> UnitWidget* {
        UnitWidget* widget = Widget(ref);
        return widget != nullptr && widget->hwnd == picker_hwnd ? widget : nullptr;
    };
    UnitWidget* current = still_there();
    if (current == nullptr || chosen < 0) return;
    if (chosen < kMoreCell) {
        // The picker keeps the colour first, then raises its event, also when
        // the colour is the one it had.
        current->back_colour = look::kPalette[static_cast<std::size_t>(chosen)].colour;
    } else {
        // The dialog works on copies: the picker might not outlive it.
        std::array<COLORREF, 16> custom = current->custom_colours;
        const std::optional<Colour> more = ChooseMoreColours(GetAncestor(picker_hwnd, GA_ROOT), current->back_colour, custom);
        current = still_there();
        if (!more || current == nullptr) return;
        current->custom_colours = custom;
        current->back_colour = *more;
    }
    InvalidateRect(current->hwnd, nullptr, FALSE);
    PostUnitEvent(ref, EventKind::ColourChosen);
}

std::optional<Colour> Win32Platform::ChooseMoreColours(HWND owner, Colour current,
                                                      std::array<COLORREF, 16>& custom) {
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.rgbResult = Ref(current);
    dialog.lpCustColors = custom.data();
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    HWND active = GetActiveWindow();
    EnableAll(false);
    auto choose = late_.comdlg32.Get<BOOL WINAPI(CHOOSECOLORW*)>("ChooseColorW");
    const BOOL confirmed = choose != nullptr && choose(&dialog);
    EnableAll(true);
    if (WindowOf(active)) SetActiveWindow(active);
    if (!confirmed) return std::nullopt;
    return static_cast<Colour>(dialog.rgbResult & 0x00FFFFFF);
}

}  // namespace landuo::ui::win32
