// The save prompt as static data: a tool window with the question and two
// buttons, topmost first.
#pragma once

#include <array>
#include <string_view>

#include "ui/main_window.h"
#include "ui/units.h"

namespace landuo::ui::prompt_window {

inline constexpr std::array<UnitDescription, 3> kUnits{{
    main_window::Button("按钮2", {136, 72, 30, 20}, "否"),
    main_window::Button("按钮1", {24, 72, 30, 20}, "是"),
    {.name = "透明标签1",
     .kind = UnitKind::TransparentLabel,
     .rect = {16, 32, 159, 20},
     .caption = "内容可能已改变,是否保存?",
     .text_colour = 0x0000FF00,
     .flags = main_window::kLabelFlags},
}};

inline constexpr std::array<Binding, 2> kBindings{{
    {"按钮1", EventKind::Click, HandlerId::AnswerYes, ""},
    {"按钮2", EventKind::Click, HandlerId::AnswerNo, ""},
}};

inline constexpr std::array<std::string_view, 2> kFocusOrder{"按钮1", "按钮2"};

inline constexpr WindowDescription kDescription{
    .id = WindowId::Prompt,
    .caption = "",
    .outer_size = {196, 150},
    .back_colour = 0x00000000,
    .frame = WindowFrame::ToolWindow,
    .in_task_bar = true,
    .drag_anywhere = false,
    .esc_closes = true,
    .visible = true,
    .units = kUnits,
    .bindings = kBindings,
    .focus_order = kFocusOrder,
};

consteval UnitRef Unit(std::string_view name) {
    for (std::size_t i = 0; i < kUnits.size(); ++i) {
        if (kUnits[i].name == name) {
            return UnitRef{WindowId::Prompt, static_cast<std::uint16_t>(i)};
        }
    }
    throw "the save prompt has no unit of that name";
}

inline constexpr UnitRef kSelf = SelfOf(WindowId::Prompt);
inline constexpr UnitRef 按钮1 = Unit("按钮1");
inline constexpr UnitRef 按钮2 = Unit("按钮2");
inline constexpr UnitRef 透明标签1 = Unit("透明标签1");

}  // namespace landuo::ui::prompt_window
