// The font dialog and the two colour pickers.
#include "tests/scenario/scenario.h"

namespace landuo::scenario {
namespace {

namespace main = ui::main_window;
using ui::LogicalFont;
using ui::WindowId;

using Appearance = Scenario;

ui::FontDialogResult Chosen(std::string face, int height, int weight, ui::Colour colour) {
    return {.chosen = {.height = height, .weight = weight, .face = std::move(face)}, .colour = colour};
}

TEST_F(Appearance, FirstConfirmedFontSetsTheFaceSizeWeightAndTheDialogsGreen) {
    Run([&] {
        platform.AnswerNextDialog(DialogAnswer::ConfirmFont(Chosen("Serif", -15, 400, 0x0000FF00)));
        platform.Click(main::按钮3);
    });
    ASSERT_EQ(platform.DialogsShown().size(), 1u);
    const ui::FontDialogRequest& request = *platform.DialogsShown()[0].font;
    EXPECT_EQ(request.initial, LogicalFont{}) << "no face, no size, no styles the first time";
    EXPECT_EQ(request.colour, 0x0000FF00u);
    EXPECT_TRUE(request.screen_fonts);
    EXPECT_TRUE(request.effects);

    const std::optional<LogicalFont> font = platform.FontOf(main::编辑框1);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->face, "Serif");
    EXPECT_EQ(font->height, -15) << "11 points at 96 pixels per inch";
    EXPECT_EQ(font->weight, 0) << "not bold: the system's default weight";
    EXPECT_EQ(platform.TextColourOf(main::编辑框1), 0x0000FF00u);
}

TEST_F(Appearance, TheDialogReopensWithTheLastConfirmedChoiceNotACancelledOne) {
    Run([&] {
        ui::FontDialogResult bold_red = Chosen("Serif", -12, 800, 0x000000FF);
        bold_red.chosen.italic = true;
        bold_red.chosen.strike_out = true;
        bold_red.chosen.underline = true;
        platform.AnswerNextDialog(DialogAnswer::ConfirmFont(bold_red));
        platform.Click(main::按钮3);
        platform.AnswerNextDialog(DialogAnswer::Cancel());
        platform.Click(main::按钮3);
        platform.AnswerNextDialog(DialogAnswer::Cancel());
        platform.Click(main::按钮3);
    });
    const auto& shown = platform.DialogsShown();
    ASSERT_EQ(shown.size(), 3u);
    const LogicalFont expected{
        .height = -12, .weight = 700, .italic = true, .underline = true, .strike_out = true, .face = "Serif"};
    EXPECT_EQ(shown[1].font->initial, expected);
    EXPECT_EQ(shown[1].font->colour, 0x000000FFu);
    EXPECT_EQ(shown[2].font->initial, expected) << "the cancel changed nothing";

    const std::optional<LogicalFont> font = platform.FontOf(main::编辑框1);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->weight, 700) << "heavy arrives as bold";
    EXPECT_TRUE(font->italic && font->strike_out && font->underline);
    EXPECT_EQ(platform.TextColourOf(main::编辑框1), 0x000000FFu);
}

TEST_F(Appearance, SemiboldGivesANormalWeightAndSizesFollowTheResolution) {
    platform.SetPixelsPerInch(120);
    Run([&] {
        platform.AnswerNextDialog(DialogAnswer::ConfirmFont(Chosen("Sans", -18, 600, 0)));
        platform.Click(main::按钮3);
    });
    const std::optional<LogicalFont> font = platform.FontOf(main::编辑框1);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->weight, 0);
    EXPECT_EQ(font->height, -18) << "18 px at 120 dpi reads back as 11 pt and goes out as 18 px again";
}

TEST_F(Appearance, AnEmptyFaceBecomesSongTi) {
    Run([&] {
        platform.AnswerNextDialog(DialogAnswer::ConfirmFont(Chosen("", -12, 400, 0)));
        platform.Click(main::按钮3);
    });
    ASSERT_TRUE(platform.FontOf(main::编辑框1));
    EXPECT_EQ(platform.FontOf(main::编辑框1)->face, "宋体");
}

TEST_F(Appearance, TheFontReachesOnlyTheEditBoxAlsoWhenItIsHidden) {
    Run([&] {
        platform.Click(main::按钮4);
        platform.AnswerNextDialog(DialogAnswer::ConfirmFont(Chosen("Serif", -20, 700, 0x00FF0000)));
        platform.Click(main::按钮3);
        platform.Click(main::按钮5);
        EXPECT_TRUE(platform.WidgetVisible(main::编辑框1));
    });
    ASSERT_TRUE(platform.FontOf(main::编辑框1));
    EXPECT_EQ(platform.FontOf(main::编辑框1)->face, "Serif");
    EXPECT_FALSE(platform.FontOf(main::按钮1)) << "buttons keep the default interface font";
    EXPECT_EQ(platform.FontOf(main::透明标签2)->face, "Arial Black") << "labels keep their own";
}

TEST_F(Appearance, CancelledFontChangesNothing) {
    Run([&] {
        platform.AnswerNextDialog(DialogAnswer::Cancel());
        platform.Click(main::按钮3);
    });
    EXPECT_FALSE(platform.FontOf(main::编辑框1));
    EXPECT_EQ(platform.TextColourOf(main::编辑框1), 0x0000FF00u);
}

TEST_F(Appearance, EachPickerColoursOnlyItsOwnTarget) {
    Run([&] {
        platform.ChooseColour(main::颜色选择器1, 0x00FF0000);
        EXPECT_EQ(platform.BackColourOf(main::编辑框1), 0x00FF0000u);
        EXPECT_EQ(platform.WindowBackColour(WindowId::Main), 0x00000000u);

        platform.ChooseColour(main::颜色选择器2, 0x0000FFFF);
        EXPECT_EQ(platform.WindowBackColour(WindowId::Main), 0x0000FFFFu);
        EXPECT_EQ(platform.BackColourOf(main::编辑框1), 0x00FF0000u);
        EXPECT_EQ(platform.TextColourOf(main::编辑框1), 0x0000FF00u) << "the text keeps its colour";

        platform.ChooseColour(main::颜色选择器1, 0x00000000);
        EXPECT_EQ(platform.BackColourOf(main::编辑框1), 0x00000000u) << "black can be chosen back";
    });
}

}  // namespace
}  // namespace landuo::scenario
