// Shared by the platform and its controls: the program's window class names,
// the child ids, the picture resource and the palette's layout.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace landuo::ui::win32 {

inline constexpr wchar_t kMainClass[] = L"LanduoMainWindow";
inline constexpr wchar_t kPromptClass[] = L"LanduoPromptWindow";
inline constexpr wchar_t kTitleLabelClass[] = L"LanduoTitleLabel";
inline constexpr wchar_t kTransparentLabelClass[] = L"LanduoTransparentLabel";
inline constexpr wchar_t kPictureClass[] = L"LanduoPicture";
inline constexpr wchar_t kColourPickerClass[] = L"LanduoColourPicker";
inline constexpr wchar_t kPaletteClass[] = L"LanduoPalette";

// The program's icon and the picture box's JPEG in the resources.
inline constexpr int kIconResource = 1;
inline constexpr int kPictureResource = 101;

// A unit's child window id: its index in the description, offset so that no
// id collides with IDOK or IDCANCEL.
inline constexpr int kFirstUnitId = 100;

// A click, colour choice or left press, posted so that its handler runs from
// the message loop and never inside the control's own message handling.
inline constexpr UINT kUnitEventMessage = WM_APP + 1;

// The palette: 7 swatches a row, 18 pixels a cell, a margin of 2 and the
// "more colours" row under the swatches.
inline constexpr int kPaletteCell = 18;
inline constexpr int kPaletteMargin = 2;
inline constexpr int kPaletteMoreHeight = 22;

LRESULT CALLBACK PaletteProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace landuo::ui::win32
