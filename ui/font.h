// A control's complete font, and the conversions between points and
// character heights that the font dialog and the edit box share.
#pragma once

#include <string>

#include "ui/units.h"

namespace landuo::ui {

inline constexpr int kWeightDefault = 0;  // leaves the weight to the system
inline constexpr int kWeightNormal = 400;
inline constexpr int kWeightBold = 700;

// What a platform builds a font from. `height` is the character height in
// pixels, negative as Windows writes it (0 leaves it to the system); the face
// name is text in the system's code page.
struct LogicalFont {
    int height = 0;
    int weight = kWeightDefault;
    int escapement = 0;  // tenths of a degree, 0 to 3599
    bool italic = false;
    bool underline = false;
    bool strike_out = false;
    std::string face;
    friend bool operator==(const LogicalFont&, const LogicalFont&) = default;
};

// A font dialog unit's current choice. The face is code-page text.
struct FontChoice {
    std::string face;
    int size = 0;  // points
    bool bold = false;
    bool italic = false;
    bool strike_out = false;
    bool underline = false;
    Colour colour = 0;
    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

// x / y rounded to the nearest integer, halves away from zero.
constexpr int DivideRounded(long long x, long long y) {
    const bool negative = (x < 0) != (y < 0);
    const long long ax = x < 0 ? -x : x;
    const long long ay = y < 0 ? -y : y;
    const long long q = (2 * ax + ay) / (2 * ay);
    return static_cast<int>(negative ? -q : q);
}

// Points to character height: -(points * dpi / 72), halves away from zero.
// A negative size counts as 0, which leaves the height to the system.
constexpr int HeightForPoints(int points, int dpi) {
    if (points <= 0) {
        return 0;
    }
    return -DivideRounded(static_cast<long long>(points) * dpi, 72);
}

// Character height back to points: |height| * 72 / dpi, halves away from zero.
constexpr int PointsForHeight(int height, int dpi) {
    const long long magnitude = height < 0 ? -static_cast<long long>(height) : height;
    return dpi > 0 ? DivideRounded(magnitude * 72, dpi) : 0;
}

// The font a font dialog starts from: the choice's face if not empty, its size
// as a character height if not 0, weight 700 if bold, the three styles; all
// else zero.
LogicalFont StartingFont(const FontChoice& choice, int dpi);

// A confirmed font dialog's choice: bold when the weight is 700 or more, the
// size in points back from the character height.
FontChoice ChoiceFromDialog(const LogicalFont& chosen, Colour colour, int dpi);

}  // namespace landuo::ui
