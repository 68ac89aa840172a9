// Writing one member of a control's font, as the font description defines it.
#pragma once

#include <string>
#include <string_view>

#include "ui/font.h"
#include "ui/platform.h"

namespace landuo::editor {

enum class FontMember : int { Angle = 0, Bold = 1, Italic = 2, StrikeOut = 3, Underline = 4, Size = 5, Face = 6 };

// Tenths of a degree, modulo 3600, never negative.
int NormaliseAngle(int tenths);

// The font with one integer or logical member changed: the angle in tenths of
// a degree, bold (700, or 0 for the system's default weight), italic,
// strike-out, underline, or the size in points at `dpi`.
ui::LogicalFont WithMember(ui::LogicalFont font, FontMember member, int value, int dpi);

// The font with another face; an empty name, or one of 32 bytes or more (more
// than a font name can hold), becomes `fallback`.
ui::LogicalFont WithFace(ui::LogicalFont font, std::string face, std::string_view fallback);

// Takes the unit's complete font (or the system's default interface font),
// changes one member and applies the whole font to the unit.
void WriteFontMember(ui::Platform& platform, ui::UnitRef unit, FontMember member, int value);
void WriteFontFace(ui::Platform& platform, ui::UnitRef unit, std::string face);

}  // namespace landuo::editor
