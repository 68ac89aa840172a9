#include "ui/font.h"

namespace landuo::ui {

LogicalFont StartingFont(const FontChoice& choice, int dpi) {
    LogicalFont font;
    font.face = choice.face;
    if (choice.size != 0) {
        font.height = HeightForPoints(choice.size, dpi);
    }
    font.weight = choice.bold ? kWeightBold : kWeightDefault;
    font.italic = choice.italic;
    font.underline = choice.underline;
    font.strike_out = choice.strike_out;
    return font;
}

FontChoice ChoiceFromDialog(const LogicalFont& chosen, Colour colour, int dpi) {
    return FontChoice{
        .face = chosen.face,
        .size = PointsForHeight(chosen.height, dpi),
        .bold = chosen.weight >= kWeightBold,
        .italic = chosen.italic,
        .strike_out = chosen.strike_out,
        .underline = chosen.underline,
        .colour = colour,
    };
}

}  // namespace landuo::ui
