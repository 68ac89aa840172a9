// The tool panel: uncovering it, the launchers, the web link and the clock.
#include "tests/scenario/scenario.h"
#include "tools/tool_panel.h"

namespace landuo::scenario {
namespace {

namespace main = ui::main_window;
using std::chrono::milliseconds;
using std::chrono::seconds;
using ui::WindowId;

using ToolPanel = Scenario;

TEST_F(ToolPanel, FunctionsHidesTheEditBoxAndRestoreShowsItWithEverythingKept) {
    Run([&] {
        platform.Type(main::编辑框1, "typed before");
        platform.ChooseColour(main::颜色选择器1, 0x00123456);
        platform.Click(main::按钮5);  // already shown: nothing changes
        EXPECT_TRUE(platform.WidgetVisible(main::编辑框1));
        platform.Click(main::按钮4);
        platform.Click(main::按钮4);
        EXPECT_FALSE(platform.WidgetVisible(main::编辑框1));
        EXPECT_TRUE(platform.WidgetVisible(main::按钮7));
        platform.Click(main::按钮5);
        EXPECT_TRUE(platform.WidgetVisible(main::编辑框1));
        EXPECT_EQ(EditText(), "typed before");
        EXPECT_EQ(platform.BackColourOf(main::编辑框1), 0x00123456u);
    });
}

TEST_F(ToolPanel, EachLauncherStartsItsCommandLine) {
    const std::pair<ui::UnitRef, const char*> launchers[] = {
        {main::按钮7, "calc"},     {main::按钮8, "winchat"}, {main::按钮9, "osk"},
        {main::按钮10, "msconfig"}, {main::按钮11, "dxdiag"}, {main::按钮12, "mspaint"},
        {main::按钮13, "sndrec32"}, {main::按钮15, "charmap"},
    };
    platform.SetInstalledPrograms({"calc"});  // the others are missing: still silent
    Run([&] {
        platform.Click(main::按钮15);  // works while the panel is covered
        platform.Click(main::按钮4);
        for (const auto& [button, command] : launchers) {
            if (button != main::按钮15) {
                platform.Click(button);
            }
        }
        EXPECT_FALSE(platform.AlwaysOnTop(WindowId::Main));
        platform.Click(main::按钮5);
        EXPECT_TRUE(platform.WidgetVisible(main::编辑框1)) << "still usable after failed starts";
    });
    std::vector<std::string> expected{"charmap"};
    for (const auto& [button, command] : launchers) {
        if (button != main::按钮15) {
            expected.emplace_back(command);
        }
    }
    EXPECT_EQ(platform.ProgramsStarted(), expected);
    EXPECT_TRUE(platform.ErrorMessages().empty());
    EXPECT_TRUE(platform.ShellOpens().empty());
}

TEST_F(ToolPanel, ControlPanelOpensTheShellPathAndTheLinkStartsTheBrowser) {
    Run([&] {
        platform.Click(main::按钮4);
        platform.Click(main::按钮14);
        platform.LeftPress(main::透明标签1);
        platform.LeftPress(main::图片框1);  // covered by the link; bound to nothing
    });
    ASSERT_EQ(platform.ShellOpens().size(), 1u);
    EXPECT_EQ(platform.ShellOpens()[0], tools::kControlPanelPath);
    EXPECT_EQ(platform.ShellOpens()[0].size(), 81u);
    EXPECT_EQ(platform.ProgramsStarted(), std::vector<std::string>{"explorer " LANDUO_WEB_ADDRESS});
}

TEST_F(ToolPanel, ClockShowsNothingForASecondThenTheDateAndTime) {
    platform.SetLocalTime({2010, 4, 6, 9, 5, 6});
    Run([&] {
        platform.AdvanceClock(milliseconds(999));
        EXPECT_EQ(platform.WidgetText(main::透明标签2), main::kSevenBreaks);
        EXPECT_EQ(platform.WidgetText(main::透明标签3), main::kSixBreaks);
        platform.AdvanceClock(milliseconds(1));
        EXPECT_EQ(platform.WidgetText(main::透明标签2), "2010年4月6日");
        EXPECT_EQ(platform.WidgetText(main::透明标签3), "09:05:07");
    });
}

TEST_F(ToolPanel, ClockAcrossTheTurnOfTheYearAndMidnight) {
    platform.SetLocalTime({2010, 12, 31, 23, 59, 58});
    Run([&] {
        platform.AdvanceClock(seconds(1));
        EXPECT_EQ(platform.WidgetText(main::透明标签2), "2010年12月31日");
        EXPECT_EQ(platform.WidgetText(main::透明标签3), "23:59:59");
        platform.AdvanceClock(seconds(1));
        EXPECT_EQ(platform.WidgetText(main::透明标签2), "2011年1月1日");
        EXPECT_EQ(platform.WidgetText(main::透明标签3), "00:00:00");
    });
}

TEST_F(ToolPanel, EachClockFieldIsItsOwnReading) {
    // A tick at midnight whose first reading is still the old day.
    Run([&] {
        platform.QueueTimeReadings({{2009, 12, 31, 23, 59, 59}, {2010, 1, 1, 0, 0, 0}, {2010, 1, 1, 0, 0, 0},
                                    {2010, 1, 1, 0, 0, 0}});
        platform.AdvanceClock(seconds(1));
        EXPECT_EQ(platform.WidgetText(main::透明标签2), "2009年12月31日");
        EXPECT_EQ(platform.WidgetText(main::透明标签3), "00:00:00");
    });
}

TEST_F(ToolPanel, ClockRunsWhileThePanelIsCoveredAndStopsWithTheWindow) {
    platform.SetLocalTime({2010, 4, 6, 9, 5, 6});
    Run([&] {
        ASSERT_TRUE(platform.WidgetVisible(main::编辑框1));
        platform.AdvanceClock(seconds(5));
        EXPECT_EQ(platform.WidgetText(main::透明标签3), "09:05:11");
        platform.Click(main::按钮6);
        platform.RequestClose(WindowId::Main);
        platform.AdvanceClock(seconds(5));  // no window, no timer: nothing happens
    });
    EXPECT_TRUE(platform.FatalErrors().empty());
}

}  // namespace
}  // namespace landuo::scenario
