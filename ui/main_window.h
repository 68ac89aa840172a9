// The main window as static data: the window, its 27 units in stacking order
// (topmost first), the handler bindings and the focus order.
#pragma once

#include <array>
#include <string_view>

#include "ui/identity.h"
#include "ui/units.h"

namespace landuo::ui::main_window {

// The edit box's content at load: 17 lines joined by CR LF, none after the last.
inline constexpr std::string_view kBanner =
    "\r\n"
    "\r\n"
    "\r\n"
    "\r\n"
    "〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓\r\n"
    "\r\n"
    "\r\n"
    "\r\n"
    "                        澜朵~记事本 V 2.0   \r\n"
    "               \r\n"
    "                  软件作者：" LANDUO_AUTHOR_NAME "   " LANDUO_CONTACT_PREFIX LANDUO_CONTACT_NUMBER "\r\n"
    "                      \r\n"
    "               " LANDUO_MAKER_CREDIT "  " LANDUO_WEB_ADDRESS "\r\n"
    "\r\n"
    "\r\n"
    "\r\n"
    "〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓〓";

inline constexpr std::string_view kSevenBreaks = "\r\n\r\n\r\n\r\n\r\n\r\n\r\n";
inline constexpr std::string_view kSixBreaks = "\r\n\r\n\r\n\r\n\r\n\r\n";

inline constexpr std::string_view kTextFileFilter = "文本文件（*.txt）|*.txt";

inline constexpr DialogSettings kOpenDialog{
    .kind = DialogKind::OpenFile,
    .title = "澜朵~帮你打开~",
    .file_name = "",
    .filter = kTextFileFilter,
    .default_extension = "txt",
    .file_must_exist = true,
    .overwrite_prompt = true,
    .path_must_exist = true,
    .hide_read_only = true,
};

inline constexpr DialogSettings kSaveDialog{
    .kind = DialogKind::SaveFile,
    .title = "澜朵~帮你保存~",
    .file_name = "澜朵~记事本~文件",
    .filter = kTextFileFilter,
    .default_extension = "*.txt",
    .file_must_exist = true,
    .overwrite_prompt = true,
    .path_must_exist = true,
    .hide_read_only = true,
};

inline constexpr DialogSettings kFontDialog{
    .kind = DialogKind::Font,
    .initial_colour = 0x0000FF00,
    .screen_fonts = true,
    .effects = true,
};

inline constexpr std::uint16_t kButtonFlags = kCaptionCentred | kCaptionWraps;
inline constexpr std::uint16_t kLabelFlags = kCaptionCentred | kSingleLineCaption;

constexpr UnitDescription Button(std::string_view name, Rect rect, std::string_view caption) {
    return {.name = name, .kind = UnitKind::Button, .rect = rect, .caption = caption, .flags = kButtonFlags};
}

inline constexpr std::array<UnitDescription, 27> kUnits{{
    Button("按钮15", {184, 376, 65, 20}, "特殊字符"),
    {.name = "编辑框1",
     .kind = UnitKind::EditBox,
     .rect = {24, 88, 384, 272},
     .caption = kBanner,
     .text_colour = 0x0000FF00,
     .back_colour = 0x00000000,
     .flags = kMultiLine | kWordWrap | kVerticalScrollBar | kEnterInsertsBreak | kHideSelection | kSunkenEdge},
    {.name = "颜色选择器2", .kind = UnitKind::ColourPicker, .rect = {344, 376, 65, 20}, .back_colour = 0x00000000},
    {.name = "时钟1", .kind = UnitKind::Timer, .rect = {272, 96, 32, 32}, .timer_interval_ms = 1000},
    {.name = "通用对话框3", .kind = UnitKind::CommonDialog, .rect = {224, 96, 32, 32}, .dialog = &kFontDialog},
    {.name = "通用对话框2", .kind = UnitKind::CommonDialog, .rect = {176, 96, 32, 32}, .dialog = &kSaveDialog},
    {.name = "通用对话框1", .kind = UnitKind::CommonDialog, .rect = {128, 96, 32, 32}, .dialog = &kOpenDialog},
    {.name = "标签1",
     .kind = UnitKind::Label,
     .rect = {120, 24, 193, 20},
     .caption = LANDUO_PRODUCT_NAME,
     .text_colour = 0x0000FFFF,
     .effect = TextEffect::Shadow,
     .flags = kLabelFlags | kSunkenEdge},
    {.name = "透明标签1",
     .kind = UnitKind::TransparentLabel,
     .rect = {120, 144, 193, 140},
     .caption = kSevenBreaks,
     .text_colour = 0x00FFFF00,
     .font = StoredFont{"宋体", 16, 400},
     .effect = TextEffect::Shadow,
     .pointer = Pointer::Hand,
     .flags = kLabelFlags},
    {.name = "透明标签2",
     .kind = UnitKind::TransparentLabel,
     .rect = {120, 296, 193, 20},
     .caption = kSevenBreaks,
     .text_colour = 0x00FF0090,
     .font = StoredFont{"Arial Black", 19, 700},
     .effect = TextEffect::Shadow,
     .pointer = Pointer::Hand,
     .flags = kLabelFlags},
    {.name = "透明标签3",
     .kind = UnitKind::TransparentLabel,
     .rect = {168, 336, 98, 20},
     .caption = kSixBreaks,
     .text_colour = 0x000000FF,
     .font = StoredFont{"Arial Black", 19, 400},
     .effect = TextEffect::Emboss,
     .pointer = Pointer::Hand,
     .flags = kLabelFlags},
    {.name = "图片框1", .kind = UnitKind::PictureBox, .rect = {120, 144, 193, 140}},
    {.name = "颜色选择器1", .kind = UnitKind::ColourPicker, .rect = {24, 376, 65, 20}, .back_colour = 0x00000000},
    Button("按钮14", {328, 248, 80, 25}, "控制面板"),
    Button("按钮13", {328, 216, 80, 25}, "录音设备"),
    Button("按钮12", {328, 184, 80, 25}, "画图工具"),
    Button("按钮11", {328, 152, 80, 25}, "配置查看"),
    Button("按钮10", {24, 248, 80, 25}, "启动管理"),
    Button("按钮9", {24, 216, 80, 25}, "屏幕键盘"),
    Button("按钮8", {24, 184, 80, 25}, "网络信使"),
    Button("按钮7", {24, 152, 80, 25}, "数学计算"),
    Button("按钮6", {344, 56, 64, 20}, "退出"),
    Button("按钮5", {280, 56, 64, 20}, "还原"),
    Button("按钮4", {216, 56, 64, 20}, "功能"),
    Button("按钮3", {152, 56, 64, 20}, "字体"),
    Button("按钮2", {88, 56, 64, 20}, "保存"),
    Button("按钮1", {24, 56, 64, 20}, "打开"),
}};

inline constexpr std::array<Binding, 20> kBindings{{
    {"", EventKind::Created, HandlerId::StartUp, ""},
    {"按钮1", EventKind::Click, HandlerId::OpenDocument, ""},
    {"按钮2", EventKind::Click, HandlerId::SaveDocument, ""},
    {"按钮3", EventKind::Click, HandlerId::ChangeFont, ""},
    {"按钮4", EventKind::Click, HandlerId::ShowToolPanel, ""},
    {"按钮5", EventKind::Click, HandlerId::HideToolPanel, ""},
    {"按钮6", EventKind::Click, HandlerId::ShowSavePrompt, ""},
    {"按钮7", EventKind::Click, HandlerId::LaunchTool, "calc"},
    {"按钮8", EventKind::Click, HandlerId::LaunchTool, "winchat"},
    {"按钮9", EventKind::Click, HandlerId::LaunchTool, "osk"},
    {"按钮10", EventKind::Click, HandlerId::LaunchTool, "msconfig"},
    {"按钮11", EventKind::Click, HandlerId::LaunchTool, "dxdiag"},
    {"按钮12", EventKind::Click, HandlerId::LaunchTool, "mspaint"},
    {"按钮13", EventKind::Click, HandlerId::LaunchTool, "sndrec32"},
    {"按钮14", EventKind::Click, HandlerId::OpenControlPanel, ""},
    {"按钮15", EventKind::Click, HandlerId::LaunchTool, "charmap"},
    {"颜色选择器1", EventKind::ColourChosen, HandlerId::SetEditBackground, ""},
    {"颜色选择器2", EventKind::ColourChosen, HandlerId::SetWindowBackground, ""},
    {"时钟1", EventKind::Tick, HandlerId::UpdateClock, ""},
    {"透明标签1", EventKind::LeftPress, HandlerId::OpenWebLink, ""},
}};

inline constexpr std::array<std::string_view, 18> kFocusOrder{
    "按钮1",  "按钮2",  "按钮3",  "按钮4",  "按钮5",       "按钮6",       "按钮7",   "按钮8",  "按钮9",
    "按钮10", "按钮11", "按钮12", "按钮13", "按钮14", "颜色选择器1", "颜色选择器2", "编辑框1", "按钮15",
};

inline constexpr WindowDescription kDescription{
    .id = WindowId::Main,
    .caption = LANDUO_WEB_ADDRESS,
    .outer_size = {434, 419},
    .back_colour = 0x00000000,
    .frame = WindowFrame::Borderless,
    .in_task_bar = true,
    .drag_anywhere = true,
    .esc_closes = false,
    .visible = true,
    .units = kUnits,
    .bindings = kBindings,
    .focus_order = kFocusOrder,
};

consteval UnitRef Unit(std::string_view name) {
    for (std::size_t i = 0; i < kUnits.size(); ++i) {
        if (kUnits[i].name == name) {
            return UnitRef{WindowId::Main, static_cast<std::uint16_t>(i)};
        }
    }
    throw "the main window has no unit of that name";
}

inline constexpr UnitRef kSelf = SelfOf(WindowId::Main);
inline constexpr UnitRef 按钮1 = Unit("按钮1");
inline constexpr UnitRef 按钮2 = Unit("按钮2");
inline constexpr UnitRef 按钮3 = Unit("按钮3");
inline constexpr UnitRef 按钮4 = Unit("按钮4");
inline constexpr UnitRef 按钮5 = Unit("按钮5");
inline constexpr UnitRef 按钮6 = Unit("按钮6");
inline constexpr UnitRef 按钮7 = Unit("按钮7");
inline constexpr UnitRef 按钮8 = Unit("按钮8");
inline constexpr UnitRef 按钮9 = Unit("按钮9");
inline constexpr UnitRef 按钮10 = Unit("按钮10");
inline constexpr UnitRef 按钮11 = Unit("按钮11");
inline constexpr UnitRef 按钮12 = Unit("按钮12");
inline constexpr UnitRef 按钮13 = Unit("按钮13");
inline constexpr UnitRef 按钮14 = Unit("按钮14");
inline constexpr UnitRef 按钮15 = Unit("按钮15");
inline constexpr UnitRef 编辑框1 = Unit("编辑框1");
inline constexpr UnitRef 颜色选择器1 = Unit("颜色选择器1");
inline constexpr UnitRef 颜色选择器2 = Unit("颜色选择器2");
inline constexpr UnitRef 时钟1 = Unit("时钟1");
inline constexpr UnitRef 通用对话框1 = Unit("通用对话框1");
inline constexpr UnitRef 通用对话框2 = Unit("通用对话框2");
inline constexpr UnitRef 通用对话框3 = Unit("通用对话框3");
inline constexpr UnitRef 标签1 = Unit("标签1");
inline constexpr UnitRef 透明标签1 = Unit("透明标签1");
inline constexpr UnitRef 透明标签2 = Unit("透明标签2");
inline constexpr UnitRef 透明标签3 = Unit("透明标签3");
inline constexpr UnitRef 图片框1 = Unit("图片框1");

}  // namespace landuo::ui::main_window
