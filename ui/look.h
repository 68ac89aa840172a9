// Drawing maths every platform draws the same way: the title label's gradient,
// the text effects, the themed look's colours and the colour pickers' palette.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "ui/units.h"

namespace landuo::ui::look {

// ---- The title label's gradient ---------------------------------------------

inline constexpr std::array<Colour, 3> kTitleGradient{0x00000000, 0x000000FF, 0x00000000};

// The colour of row `y` of a gradient over `rows` rows: segment s = rows / 2,
// row y in segment i = y / s, each channel ci + (y mod s) * (ci+1 - ci) / s,
// truncated toward zero; rows past the second segment take the last colour.
Colour GradientRow(int y, int rows, const std::array<Colour, 3>& colours = kTitleGradient);

// The edge of a label with kSunkenEdge is this many pixels on every side.
inline constexpr int kSunkenEdgeWidth = 2;

// ---- Text effects ---------------------------------------------------------------

struct EffectPass {
    int dx = 0;
    int dy = 0;
    Colour colour = 0;
};

// The pass drawn under the caption before the caption itself in its colour;
// none for TextEffect::None.
constexpr std::optional<EffectPass> UnderPass(TextEffect effect) {
    switch (effect) {
    case TextEffect::Shadow:
        return EffectPass{2, 2, 0x00000000};
    case TextEffect::Emboss:
        return EffectPass{1, 1, 0x00FFFFFF};
    case TextEffect::None:
        break;
    }
    return std::nullopt;
}

// ---- The themed look ---------------------------------------------------------------

inline constexpr Colour kButtonBorder = Rgb(0, 60, 116);
inline constexpr Colour kButtonFaceTop = Rgb(255, 255, 255);
inline constexpr Colour kButtonFaceBottom = Rgb(214, 208, 197);
inline constexpr Colour kButtonHotTop = Rgb(255, 240, 207);
inline constexpr Colour kButtonHotBottom = Rgb(229, 151, 0);
inline constexpr Colour kButtonPressedTop = Rgb(209, 204, 193);
inline constexpr Colour kButtonPressedBottom = Rgb(235, 233, 228);
inline constexpr Colour kButtonDisabledBorder = Rgb(201, 199, 186);
inline constexpr Colour kButtonDisabledFace = Rgb(245, 244, 234);
inline constexpr Colour kButtonText = Rgb(0, 0, 0);
inline constexpr Colour kButtonDisabledText = Rgb(161, 161, 146);
inline constexpr int kButtonCornerRadius = 3;
inline constexpr Colour kEditFrame = Rgb(198, 197, 215);

// A face colour `row` rows down a face `rows` high, from `top` to `bottom`.
Colour FaceRow(int row, int rows, Colour top, Colour bottom);

// True for the schemes that switch the themed look on.
constexpr bool ThemedLookOn(int scheme) { return scheme >= 1 && scheme <= 3; }

// ---- The colour pickers' palette ----------------------------------------------------

struct NamedColour {
    Colour colour;
    std::string_view name;  // UTF-8
};

inline constexpr int kPaletteColumns = 7;
inline constexpr std::string_view kMoreColours = "其它颜色...";

extern const std::array<NamedColour, 32> kPalette;

}  // namespace landuo::ui::look
