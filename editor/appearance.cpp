#include "editor/appearance.h"

#include "editor/font_members.h"
#include "ui/main_window.h"

namespace landuo::editor {

using namespace ui::main_window;

void ChangeFont(ui::Platform& platform) {
    if (!platform.ShowCommonDialog(通用对话框3)) {
        return;
    }
    const ui::FontChoice choice = platform.GetFontChoice(通用对话框3);
    WriteFontFace(platform, 编辑框1, choice.face);
    WriteFontMember(platform, 编辑框1, FontMember::Size, choice.size);
    WriteFontMember(platform, 编辑框1, FontMember::Bold, choice.bold);
    WriteFontMember(platform, 编辑框1, FontMember::Italic, choice.italic);
    WriteFontMember(platform, 编辑框1, FontMember::StrikeOut, choice.strike_out);
    WriteFontMember(platform, 编辑框1, FontMember::Underline, choice.underline);
    platform.SetTextColour(编辑框1, choice.colour);
}

void SetEditBackground(ui::Platform& platform) {
    platform.SetBackColour(编辑框1, platform.GetPickerColour(颜色选择器1));
}

void SetWindowBackground(ui::Platform& platform) {
    platform.SetBackColour(kSelf, platform.GetPickerColour(颜色选择器2));
}

}  // namespace landuo::editor
