// The ANSI code page, one character at a time. Both directions go through
// tables filled on first use from MultiByteToWideChar (MB_ERR_INVALID_CHARS,
// so an undefined sequence is never taken for a character) and
// WideCharToMultiByte (WC_NO_BEST_FIT_CHARS, so no character is quietly
// written as a look-alike or "?"): a 100 MB file would otherwise cost two
// system calls a character.
#include "ui/win32/win32_code_page.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

namespace landuo::ui::win32 {
namespace {

constexpr char32_t kNone = 0xFFFFFFFF;
constexpr char32_t kLead = 0xFFFFFFFE;

class AnsiCodePage final : public CodePage {
public:
    explicit AnsiCodePage(UINT code_page) : code_page_(code_page), name_(std::to_string(code_page)) {
        CPINFO info{};
        const bool double_byte = GetCPInfo(code_page, &info) && info.MaxCharSize == 2;
        for (int byte = 0; byte < 256; ++byte) {
            const char single = static_cast<char>(byte);
            if (double_byte && IsDBCSLeadByteEx(code_page, static_cast<BYTE>(byte))) {
                single_[byte] = kLead;
                continue;
            }
            wchar_t wide[2];
            const int count = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, &single, 1, wide, 2);
            single_[byte] = count == 1 ? static_cast<char32_t>(wide[0]) : kNone;
        }
    }

    std::string_view Name() const override { return name_; }
    bool IsUtf8() const override { return false; }

    std::size_t DecodeOne(std::string_view bytes, char32_t& code_point) const override {
        const auto lead = static_cast<unsigned char>(bytes[0]);
        const char32_t single = single_[lead];
        if (single != kLead) {
            if (single == kNone) return 0;
            code_point = single;
            return 1;
        }
        if (bytes.size() < 2) return 0;
        const char32_t pair = PairRow(lead)[static_cast<unsigned char>(bytes[1])];
        if (pair == kNone) return 0;
        code_point = pair;
        return 2;
    }

    bool EncodeOne(char32_t code_point, std::string& out) const override {
        if (code_point > 0xFFFF) {
            return EncodeDirect(code_point, out);
        }
        const Encoded& encoded = EncodeBlock(code_point >> 8)[code_point & 0xFF];
        if (encoded.length == 0) return false;
        out.append(encoded.bytes, encoded.length);
        return true;
    }

private:
    using Row = std::array<char32_t, 256>;
    struct Encoded {
        char bytes[2] = {};
        std::uint8_t length = 0;
    };
    using Block = std::array<Encoded, 256>;

    const Row& PairRow(unsigned char lead) const {
        std::unique_ptr<Row>& row = pairs_[lead];
        if (!row) {
            row = std::make_unique<Row>();
            for (int trail = 0; trail < 256; ++trail) {
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                wchar_t wide[2];
                const int count = MultiByteToWideChar(code_page_, MB_ERR_INVALID_CHARS, pair, 2, wide, 2);
                (*row)[trail] = count == 1 ? static_cast<char32_t>(wide[0]) : kNone;
            }
        }
        return *row;
    }

    const Block& EncodeBlock(char32_t high) const {
        std::unique_ptr<Block>& block = blocks_[high];
        if (!block) {
            block = std::make_unique<Block>();
            for (char32_t low = 0; low < 256; ++low) {
                const char32_t code_point = (high << 8) | low;
                if (code_point >= 0xD800 && code_point <= 0xDFFF) continue;
                std::string bytes;
                if (EncodeDirect(code_point, bytes) && bytes.size() <= 2) {
                    Encoded& encoded = (*block)[low];
                    encoded.length = static_cast<std::uint8_t>(bytes.size());
                    bytes.copy(encoded.bytes, bytes.size());
                }
            }
        }
        return *block;
    }

    bool EncodeDirect(char32_t code_point, std::string& out) const {
        wchar_t wide[2];
        int length = 1;
        if (code_point > 0xFFFF) {
            if (code_point > 0x10FFFF) return false;
            const char32_t offset = code_point - 0x10000;
            wide[0] = static_cast<wchar_t>(0xD800 + (offset >> 10));
            wide[1] = static_cast<wchar_t>(0xDC00 + (offset & 0x3FF));
            length = 2;
        } else {
            wide[0] = static_cast<wchar_t>(code_point);
        }
        char bytes[8];
        BOOL used_default = FALSE;
        const int count =
            WideCharToMultiByte(code_page_, WC_NO_BEST_FIT_CHARS, wide, length, bytes, sizeof bytes, nullptr, &used_default);
        if (count <= 0 || used_default) return false;
        out.append(bytes, static_cast<std::size_t>(count));
        return true;
    }

    UINT code_page_;
    std::string name_;
    std::array<char32_t, 256> single_{};
    mutable std::array<std::unique_ptr<Row>, 256> pairs_;
    mutable std::array<std::unique_ptr<Block>, 256> blocks_;
};

// The codec's UTF-8 page, for a system whose ANSI code page is UTF-8.
class Utf8Ansi final : public CodePage {
public:
    std::string_view Name() const override { return Utf8CodePage().Name(); }
    bool IsUtf8() const override { return true; }
    std::size_t DecodeOne(std::string_view bytes, char32_t& code_point) const override {
        return Utf8CodePage().DecodeOne(bytes, code_point);
    }
    bool EncodeOne(char32_t code_point, std::string& out) const override {
        return Utf8CodePage().EncodeOne(code_point, out);
    }
};

}  // namespace

std::unique_ptr<CodePage> MakeAnsiCodePage() {
    const UINT code_page = GetACP();
    if (code_page == CP_UTF8) {
        return std::make_unique<Utf8Ansi>();
    }
    return std::make_unique<AnsiCodePage>(code_page);
}

}  // namespace landuo::ui::win32
