#include "app/app.h"

#include "editor/appearance.h"
#include "editor/document.h"
#include "prompt/save_prompt.h"
#include "tools/clock.h"
#include "tools/tool_panel.h"
#include "ui/main_window.h"

namespace landuo::app {

namespace {

using ui::HandlerId;

template <void (*Sequence)(ui::Platform&)>
void Bind(ui::Platform& platform, std::string_view) {
    Sequence(platform);
}

constexpr ui::HandlerTable MakeHandlers() {
    ui::HandlerTable table{};
    auto set = [&table](HandlerId id, ui::Handler handler) { table[static_cast<std::size_t>(id)] = handler; };
    set(HandlerId::StartUp, &Bind<StartUpHandler>);
    set(HandlerId::OpenDocument, &Bind<editor::OpenDocument>);
    set(HandlerId::SaveDocument, &Bind<editor::SaveDocument>);
    set(HandlerId::ChangeFont, &Bind<editor::ChangeFont>);
    set(HandlerId::SetEditBackground, &Bind<editor::SetEditBackground>);
    set(HandlerId::SetWindowBackground, &Bind<editor::SetWindowBackground>);
    set(HandlerId::ShowToolPanel, &Bind<tools::ShowToolPanel>);
    set(HandlerId::HideToolPanel, &Bind<tools::HideToolPanel>);
    set(HandlerId::LaunchTool, &tools::LaunchTool);
    set(HandlerId::OpenControlPanel, &Bind<tools::OpenControlPanel>);
    set(HandlerId::OpenWebLink, &Bind<tools::OpenWebLink>);
    set(HandlerId::UpdateClock, &Bind<tools::UpdateClock>);
    set(HandlerId::ShowSavePrompt, &Bind<prompt::ShowSavePrompt>);
    set(HandlerId::AnswerYes, &Bind<prompt::AnswerYes>);
    set(HandlerId::AnswerNo, &Bind<prompt::AnswerNo>);
    return table;
}

constexpr ui::HandlerTable kHandlers = MakeHandlers();

// The program keeps no global state, so both steps have nothing to do.
void InitialiseGlobals() {}
void ShutdownHook() {}

}  // namespace

const ui::HandlerTable& Handlers() { return kHandlers; }

void StartUpHandler(ui::Platform& platform) {
    platform.SetVisualStyle(3);
    platform.SetVisible(ui::main_window::kSelf, true);
}

bool StartUp(ui::Platform& platform) {
    if (!platform.Initialise()) {
        platform.Fail("无法初始化窗口系统");
        return false;
    }
    InitialiseGlobals();
    platform.SetShutdownHook(&ShutdownHook);
    return platform.LoadStartupWindow(ui::WindowId::Main);
}

int Main(ui::Platform& platform) {
    StartUp(platform);
    return platform.RunEventLoop();
}

}  // namespace landuo::app
