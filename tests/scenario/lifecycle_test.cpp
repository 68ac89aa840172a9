// Start-up, the frame's lifecycle rules and the way out through the prompt.
#include <new>
#include <stdexcept>

#include "tests/scenario/scenario.h"

namespace landuo::scenario {
namespace {

namespace main = ui::main_window;
namespace prompt = ui::prompt_window;
using ui::WindowId;

using Lifecycle = Scenario;

TEST_F(Lifecycle, StartsCentredThemedAndFocusedOnTheOpenButton) {
    platform.SetScreenSize({1024, 768});
    const int code = Run([&] {
        EXPECT_TRUE(platform.Initialised());
        EXPECT_TRUE(platform.IsShown(WindowId::Main));
        EXPECT_FALSE(platform.IsLoaded(WindowId::Prompt));
        EXPECT_EQ(platform.BuildCount(WindowId::Main), 1);
        EXPECT_EQ(platform.PlaceOf(WindowId::Main), (ui::Point{295, 174}));
        EXPECT_EQ(platform.StyleWhenShown(WindowId::Main), 3) << "never seen without the themed look";
        EXPECT_EQ(platform.FocusedUnit(WindowId::Main), "按钮1");
        EXPECT_EQ(EditText(), main::kBanner);
        EXPECT_EQ(platform.WidgetText(main::透明标签2), main::kSevenBreaks);
        EXPECT_EQ(platform.WidgetText(main::透明标签3), main::kSixBreaks);
        EXPECT_EQ(platform.WindowBackColour(WindowId::Main), 0x00000000u);
        EXPECT_EQ(platform.TextColourOf(main::编辑框1), 0x0000FF00u);
        EXPECT_FALSE(platform.FontOf(main::编辑框1)) << "the default interface font";
        EXPECT_FALSE(platform.AlwaysOnTop(WindowId::Main));
    });
    EXPECT_EQ(code, kStillRunning);
    EXPECT_TRUE(platform.FatalErrors().empty());
}

TEST_F(Lifecycle, ScreenSmallerThanTheWindowPlacesItPartlyOffScreen) {
    platform.SetScreenSize({400, 300});
    Run([&] { EXPECT_EQ(platform.PlaceOf(WindowId::Main), (ui::Point{-17, -59})); });
}

TEST_F(Lifecycle, CloseRequestEndsAtOnceWithoutAQuestion) {
    const int code = Run([&] {
        platform.Type(main::编辑框1, "unsaved work");
        platform.RequestClose(WindowId::Main);
        EXPECT_FALSE(platform.IsLoaded(WindowId::Main));
        EXPECT_FALSE(platform.IsLoaded(WindowId::Prompt));
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(platform.ShutDown());
    EXPECT_TRUE(platform.DialogsShown().empty());
}

TEST_F(Lifecycle, NoUnloadsThePromptThenTheMainWindowAndEndsWithZero) {
    const int code = Run([&] {
        platform.Click(main::按钮6);
        ASSERT_TRUE(platform.IsShown(WindowId::Prompt));
        EXPECT_EQ(platform.FocusedUnit(WindowId::Prompt), "按钮1");
        platform.Click(prompt::按钮2);
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(platform.Destroyed(), (std::vector<WindowId>{WindowId::Prompt, WindowId::Main}));
    EXPECT_TRUE(platform.DialogsShown().empty()) << "nothing is saved or asked";
}

TEST_F(Lifecycle, ExitTwiceGivesOnePromptBroughtBack) {
    Run([&] {
        platform.Click(main::按钮6);
        const int activations = platform.ActivationCount(WindowId::Prompt);
        platform.Click(main::按钮6);
        EXPECT_EQ(platform.BuildCount(WindowId::Prompt), 1);
        EXPECT_EQ(platform.ActivationCount(WindowId::Prompt), activations + 1);
    });
}

TEST_F(Lifecycle, ClosingThePromptKeepsTheMainWindowAndALaterExitBuildsAFreshOne) {
    for (const bool by_escape : {false, true}) {
        MemoryPlatform fresh(app::Handlers());
        fresh.Post([&](MemoryPlatform& p) {
            p.Type(main::编辑框1, "keep me");
            p.Click(main::按钮6);
            by_escape ? p.PressEscape(WindowId::Prompt) : p.RequestClose(WindowId::Prompt);
            EXPECT_FALSE(p.IsLoaded(WindowId::Prompt));
            EXPECT_TRUE(p.IsShown(WindowId::Main));
            EXPECT_EQ(p.WidgetText(main::编辑框1), "keep me");
            p.Click(main::按钮6);
            EXPECT_EQ(p.BuildCount(WindowId::Prompt), 2);
        });
        EXPECT_EQ(app::Main(fresh), kStillRunning) << (by_escape ? "Esc" : "close box");
    }
}

TEST_F(Lifecycle, EscapeDoesNotCloseTheMainWindow) {
    EXPECT_EQ(Run([&] { platform.PressEscape(WindowId::Main); }), kStillRunning);
    EXPECT_TRUE(platform.IsLoaded(WindowId::Main));
}

TEST_F(Lifecycle, CloseRequestToTheMainWindowWhilePromptingLeavesThePromptRunning) {
    const int code = Run([&] {
        platform.Click(main::按钮6);
        platform.RequestClose(WindowId::Main);
        EXPECT_FALSE(platform.IsLoaded(WindowId::Main));
        EXPECT_TRUE(platform.IsShown(WindowId::Prompt));
        EXPECT_FALSE(platform.QuitCode()) << "the program runs on with the prompt alone";

        // With the main window gone, "是" has no save dialog to show and
        // "否" still leaves no window behind.
        platform.Click(prompt::按钮1);
        EXPECT_TRUE(platform.DialogsShown().empty());
        platform.AdvanceClock(std::chrono::seconds(3));
        platform.Click(prompt::按钮2);
    });
    EXPECT_EQ(code, 0);
}

TEST_F(Lifecycle, PromptAloneEndsWhenItsCloseBoxIsUsed) {
    const int code = Run([&] {
        platform.Click(main::按钮6);
        platform.RequestClose(WindowId::Main);
        platform.RequestClose(WindowId::Prompt);
    });
    EXPECT_EQ(code, 0);
}

TEST_F(Lifecycle, MainWindowThatCannotBeBuiltIsAFatalError) {
    platform.FailNextBuild();
    const int code = Run([&] { ADD_FAILURE() << "the event loop never starts"; });
    EXPECT_EQ(code, -1);
    ASSERT_EQ(platform.FatalErrors().size(), 1u);
    EXPECT_NE(platform.FatalErrors()[0].find("无法载入启动窗口"), std::string::npos);
}

TEST_F(Lifecycle, TicksWhileAWindowIsBuiltReachNoHandler) {
    platform.SetLocalTime({2010, 4, 6, 9, 5, 7});
    platform.SetDuringBuild([](MemoryPlatform& p) { p.AdvanceClock(std::chrono::milliseconds(1500)); });
    Run([&] {
        EXPECT_EQ(platform.WidgetText(main::透明标签3), main::kSixBreaks) << "the tick came while events were held";
        platform.SetDuringBuild(nullptr);
        platform.AdvanceClock(std::chrono::milliseconds(1000));
        EXPECT_EQ(platform.WidgetText(main::透明标签3), "09:05:09");
    });
}

TEST_F(Lifecycle, WhileADialogIsShownTheWindowsTakeNoInputButTheClockRuns) {
    platform.SetLocalTime({2010, 4, 6, 9, 5, 7});
    Run([&] {
        DialogAnswer answer = DialogAnswer::Cancel();
        answer.while_shown = [](MemoryPlatform& p) {
            EXPECT_FALSE(p.WindowsEnabled());
            p.Click(main::按钮6);          // would open the prompt
            p.Click(main::按钮4);          // would hide the edit box
            p.ChooseColour(main::颜色选择器2, 0x00FFFFFF);
            p.AdvanceClock(std::chrono::seconds(2));
        };
        platform.AnswerNextDialog(std::move(answer));
        platform.Click(main::按钮1);
        EXPECT_TRUE(platform.WindowsEnabled()) << "enabled again once the dialog is gone";
        EXPECT_FALSE(platform.IsLoaded(WindowId::Prompt));
        EXPECT_TRUE(platform.WidgetVisible(main::编辑框1));
        EXPECT_EQ(platform.WindowBackColour(WindowId::Main), 0x00000000u);
        EXPECT_EQ(platform.WidgetText(main::透明标签3), "09:05:09") << "the second of two ticks inside the dialog";
    });
}

TEST_F(Lifecycle, CloseRequestDuringADialogTakesEffectOnceTheHandlerReturns) {
    WriteBytes(folder / "a.txt", "opened");
    const int code = Run([&] {
        DialogAnswer answer = DialogAnswer::Confirm(folder / "a.txt");
        answer.while_shown = [](MemoryPlatform& p) {
            p.RequestClose(WindowId::Main);
            EXPECT_TRUE(p.IsLoaded(WindowId::Main)) << "not destroyed under the waiting handler";
        };
        platform.AnswerNextDialog(std::move(answer));
        platform.Click(main::按钮1);
        EXPECT_FALSE(platform.IsLoaded(WindowId::Main));
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(platform.FatalErrors().empty());
}

// Handlers of a test's own, bound in place of the prompt's answers, to reach
// the frame's rules that the program's own sequences do not combine.
void UnloadThenLoadPrompt(ui::Platform& p, std::string_view) {
    p.UnloadWindow(WindowId::Prompt);
    EXPECT_TRUE(p.IsLoaded(WindowId::Prompt)) << "an unload is only queued";
    EXPECT_TRUE(p.LoadWindow(WindowId::Prompt));
}

void UnloadMainThenKeepWorking(ui::Platform& p, std::string_view) {
    p.UnloadWindow(WindowId::Main);
    p.UnloadWindow(WindowId::Main);  // a second request for the same window changes nothing
    p.SetText(main::编辑框1, "still there");
    EXPECT_EQ(p.ReadText(main::编辑框1).bytes, "still there");
}

ui::HandlerTable WithAnswers(ui::Handler yes, ui::Handler no) {
    ui::HandlerTable table = app::Handlers();
    table[static_cast<std::size_t>(ui::HandlerId::AnswerYes)] = yes;
    table[static_cast<std::size_t>(ui::HandlerId::AnswerNo)] = no;
    return table;
}

TEST(FrameRules, LoadingAWindowWhoseDestructionIsQueuedBuildsANewOne) {
    const ui::HandlerTable handlers = WithAnswers(&UnloadThenLoadPrompt, &UnloadMainThenKeepWorking);
    MemoryPlatform platform(handlers);
    platform.Post([](MemoryPlatform& p) {
        p.Click(main::按钮6);
        p.Click(prompt::按钮1);
        EXPECT_EQ(p.BuildCount(WindowId::Prompt), 2);
        EXPECT_EQ(p.Destroyed(), std::vector<WindowId>{WindowId::Prompt});
        EXPECT_TRUE(p.IsShown(WindowId::Prompt));
    });
    EXPECT_EQ(app::Main(platform), MemoryPlatform::kInputExhausted);
}

TEST(FrameRules, AHandlerFinishesWithItsWindowInPlaceAndTheUnloadFollows) {
    const ui::HandlerTable handlers = WithAnswers(&UnloadMainThenKeepWorking, &UnloadMainThenKeepWorking);
    MemoryPlatform platform(handlers);
    platform.Post([](MemoryPlatform& p) {
        p.Click(main::按钮6);
        p.Click(prompt::按钮1);
        EXPECT_FALSE(p.IsLoaded(WindowId::Main));
        EXPECT_EQ(p.Destroyed(), std::vector<WindowId>{WindowId::Main});
        // Anything asked of the window that is gone does nothing.
        p.Click(main::按钮1);
        p.Type(main::编辑框1, "x");
        p.AdvanceClock(std::chrono::seconds(2));
    });
    EXPECT_EQ(app::Main(platform), MemoryPlatform::kInputExhausted);
    EXPECT_TRUE(platform.DialogsShown().empty());
}

void RunOutOfMemory(ui::Platform&, std::string_view) { throw std::bad_alloc(); }
void BreakDown(ui::Platform&, std::string_view) { throw std::runtime_error("broken"); }

TEST(FrameRules, OutOfMemoryInAHandlerIsReportedAndTheProgramRunsOn) {
    const ui::HandlerTable handlers = WithAnswers(&RunOutOfMemory, &BreakDown);
    MemoryPlatform platform(handlers);
    platform.Post([](MemoryPlatform& p) {
        p.Type(main::编辑框1, "kept");
        p.Click(main::按钮6);
        p.Click(prompt::按钮1);
        EXPECT_EQ(p.WidgetText(main::编辑框1), "kept");
        ASSERT_EQ(p.ErrorMessages().size(), 1u);
        EXPECT_NE(p.ErrorMessages()[0].find("内存不足"), std::string::npos);
        EXPECT_FALSE(p.QuitCode());
    });
    EXPECT_EQ(app::Main(platform), MemoryPlatform::kInputExhausted);
}

TEST(FrameRules, AnyOtherFailureOfAHandlerIsAFatalErrorEndingWithMinusOne) {
    const ui::HandlerTable handlers = WithAnswers(&RunOutOfMemory, &BreakDown);
    MemoryPlatform platform(handlers);
    platform.Post([](MemoryPlatform& p) {
        p.Click(main::按钮6);
        p.Click(prompt::按钮2);
        p.Click(main::按钮4);  // events are held from the fatal error on
        EXPECT_TRUE(p.WidgetVisible(main::编辑框1));
    });
    EXPECT_EQ(app::Main(platform), -1);
    ASSERT_EQ(platform.FatalErrors().size(), 1u);
    EXPECT_NE(platform.FatalErrors()[0].find("broken"), std::string::npos);
}

}  // namespace
}  // namespace landuo::scenario
