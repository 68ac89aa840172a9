// Opening and saving text files, through the open and save dialogs and the
// save prompt's "是".
#include <sys/stat.h>

#include "tests/scenario/scenario.h"

namespace landuo::scenario {
namespace {

namespace main = ui::main_window;
namespace prompt = ui::prompt_window;
using namespace std::string_literals;
using ui::WindowId;

using Document = Scenario;

TEST_F(Document, OpenShowsTheBytesBeforeTheFirstZero) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"zero inside", "abc\0def"s, "abc"},
        {"first byte zero", "\0abc"s, ""},
        {"empty file", "", ""},
        {"LF only", "one\ntwo\n", "one\ntwo\n"},
        {"lone CR and CR LF", "a\rb\r\nc", "a\rb\r\nc"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBFhello", "\xEF\xBB\xBFhello"},
        {"UTF-16 cut at its first zero", "\xFF\xFEh\0i\0"s, "\xFF\xFEh"},
    };
    Run([&] {
        for (const Case& c : cases) {
            platform.Type(main::编辑框1, "previous");
            WriteBytes(folder / "in.txt", c.bytes);
            OpenFile(folder / "in.txt");
            EXPECT_EQ(platform.ReadText(main::编辑框1).bytes, c.text) << c.name;
        }
    });
    EXPECT_TRUE(platform.ErrorMessages().empty()) << "none of these is a failure";
}

TEST_F(Document, OpenThenSaveGivesBackEveryByteShown) {
    std::string every_byte;
    for (int b = 1; b < 256; ++b) {
        every_byte += static_cast<char>(b);
    }
    const std::string gbk = "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\r\n";  // 你好，世界 in GBK: not UTF-8
    const std::string escapes = "\xF4\x8F\xBC\x80 \xF4\x8F\xBF\xBF";      // the codec's own private code points
    Run([&] {
        for (const std::string& bytes : {every_byte, gbk, escapes, "\xE4\xBD\xA0\xE5\xA5\xBD"s}) {
            WriteBytes(folder / "in.txt", bytes);
            OpenFile(folder / "in.txt");
            SaveFile(folder / "out.txt");
            EXPECT_EQ(ReadBytes(folder / "out.txt"), bytes);
        }
    });
}

TEST_F(Document, CancelledOpenChangesNothing) {
    Run([&] {
        platform.AnswerNextDialog(DialogAnswer::Cancel());
        platform.Click(main::按钮1);
        EXPECT_EQ(EditText(), main::kBanner);
        EXPECT_TRUE(platform.GetFileName(main::通用对话框1).empty());
    });
    EXPECT_TRUE(platform.ErrorMessages().empty());
}

TEST_F(Document, AFileThatCannotBeReadKeepsTheTextAndSaysWhy) {
    fs::create_directories(folder / "a folder");
    WriteBytes(folder / "big.txt", std::string(11, 'x'));
    platform.SetTextCapacity(10);
    Run([&] {
        for (const char* name : {"gone.txt", "a folder", "big.txt"}) {
            platform.Type(main::编辑框1, "my text");
            OpenFile(folder / name);
            EXPECT_EQ(EditText(), "my text") << name;
        }
    });
    ASSERT_EQ(platform.ErrorMessages().size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NE(platform.ErrorMessages()[i].find("无法打开文件"), std::string::npos) << platform.ErrorMessages()[i];
    }
    EXPECT_NE(platform.ErrorMessages()[0].find("gone.txt"), std::string::npos) << "the message names the file";
}

TEST_F(Document, SaveWritesExactlyTheEditBoxBytes) {
    WriteBytes(folder / "long.txt", std::string(1000, 'L'));
    Run([&] {
        platform.Type(main::编辑框1, "abc");
        SaveFile(folder / "abc.txt");
        EXPECT_EQ(ReadBytes(folder / "abc.txt"), "abc") << "no zero, byte-order mark or line break added";

        SaveFile(folder / "long.txt");
        EXPECT_EQ(ReadBytes(folder / "long.txt"), "abc") << "a shorter text replaces a longer file whole";

        platform.Type(main::编辑框1, "");
        SaveFile(folder / "long.txt");
        EXPECT_TRUE(fs::exists(folder / "long.txt"));
        EXPECT_EQ(fs::file_size(folder / "long.txt"), 0u);
        SaveFile(folder / "new-empty.txt");
        EXPECT_EQ(fs::file_size(folder / "new-empty.txt"), 0u);
    });
    EXPECT_TRUE(platform.ErrorMessages().empty());
}

TEST_F(Document, TheBannerSavesAsItsOwnBytes) {
    Run([&] { SaveFile(folder / "banner.txt"); });
    EXPECT_EQ(ReadBytes(folder / "banner.txt"), main::kBanner);
}

TEST_F(Document, AFailedSaveLeavesTheOldFileAndSaysWhy) {
    WriteBytes(folder / "kept.txt", "old content");
    fs::create_directories(folder / "a folder");
    Run([&] {
        platform.Type(main::编辑框1, "new content");
        SaveFile(folder / "no such folder" / "x.txt");
        SaveFile(folder / "a folder");
    });
    EXPECT_EQ(ReadBytes(folder / "kept.txt"), "old content");
    EXPECT_TRUE(fs::is_directory(folder / "a folder"));
    EXPECT_TRUE(fs::is_empty(folder / "a folder"));
    ASSERT_EQ(platform.ErrorMessages().size(), 2u);
    EXPECT_NE(platform.ErrorMessages()[0].find("无法保存文件"), std::string::npos);
    EXPECT_NE(platform.ErrorMessages()[0].find("x.txt"), std::string::npos);
    // Nothing left behind: no temporary files in the folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

// A code page that holds only ASCII, to stand for one that lacks a typed character.
class AsciiCodePage final : public ui::CodePage {
public:
    std::string_view Name() const override { return "ASCII"; }
    bool IsUtf8() const override { return false; }
    std::size_t DecodeOne(std::string_view bytes, char32_t& code_point) const override {
        const auto byte = static_cast<unsigned char>(bytes[0]);
        if (byte >= 0x80) {
            return 0;
        }
        code_point = byte;
        return 1;
    }
    bool EncodeOne(char32_t code_point, std::string& out) const override {
        if (code_point >= 0x80) {
            return false;
        }
        out += static_cast<char>(code_point);
        return true;
    }
};

TEST_F(Document, ACharacterTheCodePageCannotHoldIsNamedAndNothingIsWritten) {
    static const AsciiCodePage ascii;
    platform.SetCodePage(ascii);
    WriteBytes(folder / "kept.txt", "old");
    Run([&] {
        platform.Type(main::编辑框1, "caf\xC3\xA9");  // café as typed
        SaveFile(folder / "kept.txt");
        // Bytes that came from a file survive even when the code page can't show them.
        WriteBytes(folder / "raw.txt", "\x80\xFFok");
        OpenFile(folder / "raw.txt");
        SaveFile(folder / "raw-out.txt");
    });
    EXPECT_EQ(ReadBytes(folder / "kept.txt"), "old");
    ASSERT_EQ(platform.ErrorMessages().size(), 1u);
    EXPECT_NE(platform.ErrorMessages()[0].find("U+00E9"), std::string::npos) << platform.ErrorMessages()[0];
    EXPECT_EQ(ReadBytes(folder / "raw-out.txt"), "\x80\xFFok");
}

TEST_F(Document, DialogsAreSetUpFromTheirUnitsAndRememberTheLastConfirmedPath) {
    Run([&] {
        platform.AnswerNextDialog(DialogAnswer::Cancel());
        platform.Click(main::按钮2);
        SaveFile(folder / "first.txt");
        WriteBytes(folder / "opened.txt", "x");
        OpenFile(folder / "opened.txt");
        platform.AnswerNextDialog(DialogAnswer::Cancel());
        platform.Click(main::按钮2);
        platform.AnswerNextDialog(DialogAnswer::Cancel());
        platform.Click(main::按钮1);
        // The prompt's "是" shares the save dialog.
        platform.Click(main::按钮6);
        platform.AnswerNextDialog(DialogAnswer::Cancel());
        platform.Click(prompt::按钮1);
    });
    const auto& shown = platform.DialogsShown();
    ASSERT_EQ(shown.size(), 6u);
    const ui::FileDialogRequest& save = *shown[0].file;
    EXPECT_EQ(save.kind, ui::DialogKind::SaveFile);
    EXPECT_EQ(save.title, "澜朵~帮你保存~");
    EXPECT_EQ(save.file_name, fs::path(u8"澜朵~记事本~文件"));
    EXPECT_EQ(save.filter_name, "文本文件（*.txt）");
    EXPECT_EQ(save.filter_pattern, "*.txt");
    EXPECT_EQ(save.default_extension, "txt") << "a typed name gets .txt, never anything made of *.txt";
    EXPECT_FALSE(save.file_must_exist) << "the save dialog takes a new name";
    EXPECT_TRUE(save.overwrite_prompt);
    EXPECT_FALSE(shown[0].windows_enabled);

    EXPECT_EQ(shown[1].file->file_name, fs::path(u8"澜朵~记事本~文件")) << "a cancelled save proposes what it did";
    const ui::FileDialogRequest& open = *shown[2].file;
    EXPECT_EQ(open.kind, ui::DialogKind::OpenFile);
    EXPECT_EQ(open.title, "澜朵~帮你打开~");
    EXPECT_TRUE(open.file_name.empty());
    EXPECT_TRUE(open.file_must_exist);
    EXPECT_EQ(shown[3].file->file_name, folder / "first.txt") << "opening does not change what saving proposes";
    EXPECT_EQ(shown[4].file->file_name, folder / "opened.txt");
    EXPECT_EQ(shown[5].file->file_name, folder / "first.txt");
    EXPECT_EQ(platform.UnansweredDialogs(), 0);
}

TEST_F(Document, YesSavesWhatTheEditBoxHoldsAndKeepsBothWindows) {
    const int code = Run([&] {
        platform.Click(main::按钮6);
        platform.Type(main::编辑框1, "typed while prompting");
        platform.AnswerNextDialog(DialogAnswer::Cancel());
        platform.Click(prompt::按钮1);
        EXPECT_FALSE(fs::exists(folder / "saved.txt"));

        platform.AnswerNextDialog(DialogAnswer::Confirm(folder / "saved.txt"));
        platform.Click(prompt::按钮1);
        EXPECT_EQ(ReadBytes(folder / "saved.txt"), "typed while prompting");
        EXPECT_TRUE(platform.IsShown(WindowId::Main));
        EXPECT_TRUE(platform.IsShown(WindowId::Prompt));

        platform.AnswerNextDialog(DialogAnswer::Cancel());
        platform.Click(prompt::按钮1);
        EXPECT_EQ(platform.DialogsShown().back().file->file_name, folder / "saved.txt");
        platform.Click(prompt::按钮2);
    });
    EXPECT_EQ(code, 0);
}

TEST_F(Document, SaveKeepsThePermissionBitsOfTheFileItReplaces) {
    WriteBytes(folder / "script.txt", "old");
    fs::permissions(folder / "script.txt", fs::perms(0750));
    Run([&] {
        platform.Type(main::编辑框1, "new");
        SaveFile(folder / "script.txt");
    });
    EXPECT_EQ(ReadBytes(folder / "script.txt"), "new");
    EXPECT_EQ(fs::status(folder / "script.txt").permissions() & fs::perms::mask, fs::perms(0750));
}

}  // namespace
}  // namespace landuo::scenario
