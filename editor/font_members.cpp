#include "editor/font_members.h"

#include <utility>

namespace landuo::editor {

namespace {

constexpr std::size_t kFaceCapacity = 32;  // bytes, the terminating zero included
constexpr std::string_view kFallbackFaceUtf8 = "宋体";

}  // namespace

int NormaliseAngle(int tenths) {
    const int remainder = tenths % 3600;
    return remainder < 0 ? remainder + 3600 : remainder;
}

ui::LogicalFont WithMember(ui::LogicalFont font, FontMember member, int value, int dpi) {
    switch (member) {
    case FontMember::Angle:
        font.escapement = NormaliseAngle(value);
        break;
    case FontMember::Bold:
        font.weight = value != 0 ? ui::kWeightBold : ui::kWeightDefault;
        break;
    case FontMember::Italic:
        font.italic = value != 0;
        break;
    case FontMember::StrikeOut:
        font.strike_out = value != 0;
        break;
    case FontMember::Underline:
        font.underline = value != 0;
        break;
    case FontMember::Size:
        font.height = ui::HeightForPoints(value, dpi);
        break;
    case FontMember::Face:
        break;
    }
    return font;
}

ui::LogicalFont WithFace(ui::LogicalFont font, std::string face, std::string_view fallback) {
    if (face.empty() || face.size() >= kFaceCapacity) {
        font.face = std::string(fallback);
    } else {
        font.face = std::move(face);
    }
    return font;
}

void WriteFontMember(ui::Platform& platform, ui::UnitRef unit, FontMember member, int value) {
    platform.SetFont(unit, WithMember(platform.GetFont(unit), member, value, platform.PixelsPerInchY()));
}

void WriteFontFace(ui::Platform& platform, ui::UnitRef unit, std::string face) {
    platform.SetFont(unit, WithFace(platform.GetFont(unit), std::move(face), platform.SystemText(kFallbackFaceUtf8)));
}

}  // namespace landuo::editor
