// The pure rules: font conversions, the gradient, the clock's texts, the
// banner and the window descriptions.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/app.h"
#include "editor/document.h"
#include "editor/font_members.h"
#include "tools/clock.h"
#include "ui/font.h"
#include "ui/look.h"
#include "ui/main_window.h"
#include "ui/prompt_window.h"

namespace landuo {
namespace {

using ui::LogicalFont;

struct PointsCase {
    int points;
    int dpi;
    int height;
};

TEST(FontRules, PointsToHeightAndBackAtTheCommonResolutions) {
    const PointsCase cases[] = {
        {9, 96, -12}, {11, 96, -15}, {12, 96, -16}, {10, 96, -13},   // 13.33 rounds down
        {9, 120, -15}, {11, 120, -18}, {10, 120, -17}, {12, 120, -20},  // 18.33, 16.67
        {3, 96, -4},  {0, 96, 0},    {-5, 96, 0},                    // a negative size counts as 0
    };
    for (const PointsCase& c : cases) {
        EXPECT_EQ(ui::HeightForPoints(c.points, c.dpi), c.height) << c.points << " pt at " << c.dpi;
        if (c.points > 0) {
            EXPECT_EQ(ui::PointsForHeight(c.height, c.dpi), c.points) << c.points << " pt read back at " << c.dpi;
        }
    }
}

TEST(FontRules, HalvesRoundAwayFromZero) {
    // 3 pt at 120 dpi is exactly 5 px; 1 pt at 108 dpi is 1.5 px.
    EXPECT_EQ(ui::HeightForPoints(1, 108), -2);
    EXPECT_EQ(ui::PointsForHeight(-1, 48), 2);  // 1.5 points
    EXPECT_EQ(ui::PointsForHeight(1, 48), 2);   // the sign of the height does not matter
    EXPECT_EQ(ui::DivideRounded(-3, 2), -2);
    EXPECT_EQ(ui::DivideRounded(5, 2), 3);
    EXPECT_EQ(ui::DivideRounded(7, 3), 2);
}

TEST(FontRules, MembersChangeOnlyWhatTheyName) {
    const LogicalFont start{.height = -12, .weight = 400, .italic = true, .face = "Sans"};
    using editor::FontMember;
    using editor::WithMember;

    EXPECT_EQ(WithMember(start, FontMember::Bold, 1, 96).weight, 700);
    EXPECT_EQ(WithMember(start, FontMember::Bold, 0, 96).weight, 0);  // the system's default weight
    EXPECT_FALSE(WithMember(start, FontMember::Italic, 0, 96).italic);
    EXPECT_TRUE(WithMember(start, FontMember::StrikeOut, 1, 96).strike_out);
    EXPECT_TRUE(WithMember(start, FontMember::Underline, 1, 96).underline);
    EXPECT_EQ(WithMember(start, FontMember::Size, 11, 96).height, -15);
    EXPECT_EQ(WithMember(start, FontMember::Size, 11, 120).height, -18);

    LogicalFont sized = WithMember(start, FontMember::Size, 11, 96);
    sized.height = start.height;
    EXPECT_EQ(sized, start) << "a size write touches nothing but the height";
}

TEST(FontRules, AngleIsKeptModuloAFullTurn) {
    const std::pair<int, int> cases[] = {{0, 0}, {900, 900}, {3600, 0}, {3601, 1}, {-1, 3599}, {-3600, 0}, {-7201, 3599}};
    for (const auto& [written, stored] : cases) {
        EXPECT_EQ(editor::NormaliseAngle(written), stored) << written;
        EXPECT_EQ(editor::WithMember({}, editor::FontMember::Angle, written, 96).escapement, stored) << written;
    }
}

TEST(FontRules, EmptyOrOverlongFaceFallsBack) {
    const std::string fallback = "FALLBACK";
    EXPECT_EQ(editor::WithFace({}, "", fallback).face, fallback);
    EXPECT_EQ(editor::WithFace({}, std::string(31, 'a'), fallback).face, std::string(31, 'a'));
    EXPECT_EQ(editor::WithFace({}, std::string(32, 'a'), fallback).face, fallback);
    EXPECT_EQ(editor::WithFace({}, "微软雅黑", fallback).face, "微软雅黑");
}

TEST(FontRules, DialogStartsFromTheChoiceAndReadsBackInTwoWeightSteps) {
    const ui::FontChoice first{.colour = 0x0000FF00};
    const LogicalFont start = ui::StartingFont(first, 96);
    EXPECT_EQ(start, LogicalFont{}) << "no face, no size, not bold: all zero";

    const ui::FontChoice choice{.face = "Serif", .size = 11, .bold = true, .underline = true};
    const LogicalFont again = ui::StartingFont(choice, 120);
    EXPECT_EQ(again.height, -18);
    EXPECT_EQ(again.weight, 700);
    EXPECT_TRUE(again.underline);
    EXPECT_EQ(again.face, "Serif");

    const int weights[][2] = {{100, 0}, {400, 0}, {600, 0}, {699, 0}, {700, 1}, {800, 1}, {900, 1}};
    for (const auto& [weight, bold] : weights) {
        const ui::FontChoice read = ui::ChoiceFromDialog({.height = -15, .weight = weight}, 0x123456, 96);
        EXPECT_EQ(read.bold, bold == 1) << weight;
        EXPECT_EQ(read.size, 11);
        EXPECT_EQ(read.colour, 0x123456u);
    }
}

TEST(Look, TitleGradientOverSixteenRows) {
    // Black to red over rows 0 to 7, red back to black over rows 8 to 15.
    const int red_by_row[16] = {0, 31, 63, 95, 127, 159, 191, 223, 255, 224, 192, 160, 128, 96, 64, 32};
    for (int y = 0; y < 16; ++y) {
        EXPECT_EQ(ui::look::GradientRow(y, 16), ui::Rgb(static_cast<std::uint8_t>(red_by_row[y]), 0, 0)) << "row " << y;
    }
}

TEST(Look, GradientOddRowsAndTinyAreas) {
    // 17 rows: s = 8, so row 16 is past both segments and takes the last colour.
    EXPECT_EQ(ui::look::GradientRow(16, 17), 0x00000000u);
    EXPECT_EQ(ui::look::GradientRow(8, 17), 0x000000FFu);
    EXPECT_EQ(ui::look::GradientRow(0, 1), 0x00000000u);  // no segment: no division by zero
    EXPECT_EQ(ui::look::GradientRow(0, 0), 0x00000000u);
}

TEST(Look, EffectsAndPalette) {
    EXPECT_EQ(ui::look::UnderPass(ui::TextEffect::Shadow)->dx, 2);
    EXPECT_EQ(ui::look::UnderPass(ui::TextEffect::Shadow)->colour, 0x00000000u);
    EXPECT_EQ(ui::look::UnderPass(ui::TextEffect::Emboss)->dy, 1);
    EXPECT_EQ(ui::look::UnderPass(ui::TextEffect::Emboss)->colour, 0x00FFFFFFu);
    EXPECT_FALSE(ui::look::UnderPass(ui::TextEffect::None));

    std::set<ui::Colour> colours;
    std::set<std::string_view> names;
    for (const auto& entry : ui::look::kPalette) {
        colours.insert(entry.colour);
        names.insert(entry.name);
        EXPECT_EQ(entry.colour & 0xFF000000u, 0u) << "no palette cell is the default colour marker";
    }
    EXPECT_EQ(colours.size(), 32u);
    EXPECT_EQ(names.size(), 32u);
    EXPECT_TRUE(colours.contains(0x00000000u)) << "black can always be chosen back";
}

TEST(Clock, TextsHaveNoLeadingZerosInTheDateAndTwoDigitsInTheTime) {
    EXPECT_EQ(tools::DateText({2010, 4, 6, 9, 5, 7}), "2010年4月6日");
    EXPECT_EQ(tools::DateText({2009, 12, 31, 23, 59, 59}), "2009年12月31日");
    EXPECT_EQ(tools::DateText({2011, 1, 1, 0, 0, 0}), "2011年1月1日");
    const std::pair<int, const char*> two_digits[] = {{0, "00"}, {7, "07"}, {9, "09"}, {10, "10"}, {42, "42"}, {59, "59"}};
    for (const auto& [value, text] : two_digits) {
        EXPECT_EQ(tools::TwoDigits(value), text) << value;
    }
}

std::vector<std::string> SplitCrLf(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        lines.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return lines;
        }
        start = end + 2;
    }
}

TEST(Banner, SeventeenLinesWithExactBlanks) {
    const std::string_view banner = ui::main_window::kBanner;
    const std::vector<std::string> lines = SplitCrLf(banner);
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_FALSE(banner.ends_with("\r\n"));
    EXPECT_EQ(banner.find('\n'), banner.find("\r\n") + 1) << "line breaks are CR LF";

    std::string rule;
    for (int i = 0; i < 30; ++i) {
        rule += "〓";
    }
    const std::string expected[17] = {
        "", "", "", "", rule, "", "", "",
        std::string(24, ' ') + "澜朵~记事本 V 2.0" + std::string(3, ' '),
        std::string(15, ' '),
        std::string(18, ' ') + "软件作者：" + LANDUO_AUTHOR_NAME + std::string(3, ' ') + "QQ:" + LANDUO_CONTACT_NUMBER,
        std::string(22, ' '),
        std::string(15, ' ') + LANDUO_MAKER_NAME + "·出品" + std::string(2, ' ') + LANDUO_WEB_ADDRESS,
        "", "", "", rule,
    };
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
    }
}

TEST(Descriptions, MainWindowUnitsAreUniqueAndTheToolPanelLiesUnderTheEditBox) {
    using namespace ui::main_window;
    std::set<std::string_view> names;
    for (const auto& unit : kUnits) {
        EXPECT_TRUE(names.insert(unit.name).second) << unit.name;
    }
    EXPECT_EQ(names.size(), 27u);

    const ui::Rect edit = kUnits[编辑框1.index].rect;
    for (const ui::UnitRef panel : {透明标签1, 透明标签2, 透明标签3, 图片框1, 按钮7, 按钮8, 按钮9, 按钮10, 按钮11, 按钮12,
                                    按钮13, 按钮14}) {
        const ui::Rect r = kUnits[panel.index].rect;
        EXPECT_GT(panel.index, 编辑框1.index) << kUnits[panel.index].name << " lies below the edit box";
        EXPECT_TRUE(r.x >= edit.x && r.y >= edit.y && r.x + r.width <= edit.x + edit.width &&
                    r.y + r.height <= edit.y + edit.height)
            << kUnits[panel.index].name << " lies inside the edit box";
    }
    EXPECT_LT(透明标签1.index, 图片框1.index) << "the link lies over the picture";
    EXPECT_EQ(kUnits[透明标签1.index].rect, kUnits[图片框1.index].rect);
}

TEST(Descriptions, EveryBindingAndFocusEntryNamesAUnit) {
    for (const ui::WindowDescription* window : {&ui::main_window::kDescription, &ui::prompt_window::kDescription}) {
        auto has = [&](std::string_view name) {
            for (const auto& unit : window->units) {
                if (unit.name == name) {
                    return true;
                }
            }
            return false;
        };
        for (const auto& binding : window->bindings) {
            EXPECT_TRUE(binding.unit.empty() || has(binding.unit)) << binding.unit;
        }
        for (std::string_view name : window->focus_order) {
            EXPECT_TRUE(has(name)) << name;
        }
    }
    EXPECT_EQ(ui::main_window::kFocusOrder.front(), "按钮1");
    EXPECT_EQ(ui::main_window::kFocusOrder.back(), "按钮15");
    // Seven Chinese characters, an ASCII comma, four more and an ASCII question
    // mark: 24 bytes in GBK, 35 in UTF-8.
    const std::string_view question = ui::prompt_window::kUnits[ui::prompt_window::透明标签1.index].caption;
    EXPECT_EQ(question.size(), 11u * 3 + 2);
    EXPECT_EQ(question[7 * 3], ',');
    EXPECT_EQ(question.back(), '?');
}

TEST(Descriptions, WindowsCentreWithTheRemainderDropped) {
    EXPECT_EQ(ui::CentredPlace({1024, 768}, {434, 419}), (ui::Point{295, 174}));
    EXPECT_EQ(ui::CentredPlace({1024, 768}, {196, 150}), (ui::Point{414, 309}));
    EXPECT_EQ(ui::CentredPlace({1025, 769}, {434, 419}), (ui::Point{295, 175}));
    EXPECT_EQ(ui::CentredPlace({400, 300}, {434, 419}), (ui::Point{-17, -59}));
}

TEST(Descriptions, EveryHandlerIdIsBoundToAFunction) {
    for (std::size_t id = 0; id < ui::kHandlerCount; ++id) {
        EXPECT_NE(app::Handlers()[id], nullptr) << "handler id " << id;
    }
}

TEST(Document, TextEndsBeforeTheFirstZeroByte) {
    using namespace std::string_literals;
    EXPECT_EQ(editor::TextFromBytes("abc\0def"s), "abc");
    EXPECT_EQ(editor::TextFromBytes("\0abc"s), "");
    EXPECT_EQ(editor::TextFromBytes(""), "");
    EXPECT_EQ(editor::TextFromBytes("\xEF\xBB\xBFhi\n"), "\xEF\xBB\xBFhi\n") << "a byte-order mark stays";
    EXPECT_EQ(editor::TextFromBytes("\xFF\xFEh\0i\0"s), "\xFF\xFEh") << "UTF-16 is cut at its first zero";
}

}  // namespace
}  // namespace landuo
