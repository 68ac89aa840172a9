#include "editor/document.h"

#include <cstdio>
#include <utility>

#include "editor/file_io.h"
#include "ui/main_window.h"

namespace landuo::editor {

using namespace ui::main_window;

std::string TextFromBytes(std::string bytes) {
    const std::size_t zero = bytes.find('\0');
    if (zero != std::string::npos) {
        bytes.resize(zero);
    }
    return bytes;
}

std::string DisplayName(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

namespace {

std::string UnrepresentableMessage(char32_t character, std::string_view code_page) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
    std::string shown;
    ui::AppendUtf8(character, shown);
    return "文本中的字符“" + shown + "”（" + code + "）无法用系统代码页（" + std::string(code_page) +
           "）保存。文件没有写入，请删除或替换这个字符后再保存。";
}

}  // namespace

void OpenDocument(ui::Platform& platform) {
    if (!platform.ShowCommonDialog(通用对话框1)) {
        return;
    }
    const std::filesystem::path path = platform.GetFileName(通用对话框1);
    ReadResult read = ReadWholeFile(path, platform.TextCapacity(编辑框1));
    if (!read.ok) {
        // A file that can't be read leaves the text as it was.
        platform.ShowErrorMessage("无法打开文件“" + DisplayName(path) + "”：" + read.reason);
        return;
    }
    platform.SetText(编辑框1, TextFromBytes(std::move(read.bytes)));
}

void SaveDocument(ui::Platform& platform) {
    if (!platform.ShowCommonDialog(通用对话框2)) {
        return;
    }
    const ui::EncodedText text = platform.ReadText(编辑框1);
    if (text.unrepresentable) {
        // Writing "?" for it would lose the character without a word.
        platform.ShowErrorMessage(UnrepresentableMessage(*text.unrepresentable, platform.SystemCodePage().Name()));
        return;
    }
    const std::filesystem::path path = platform.GetFileName(通用对话框2);
    const WriteResult written = WriteFileSafely(path, text.bytes);
    if (!written.ok) {
        platform.ShowErrorMessage("无法保存文件“" + DisplayName(path) + "”：" + written.reason +
                                  "。原有的文件没有改变。");
    }
}

}  // namespace landuo::editor
