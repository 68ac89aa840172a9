// Text above the platform is bytes in the system's code page; widgets show
// Unicode. These conversions are lossless: a byte that does not start a valid
// character of the code page becomes the private code point kEscapeBase + byte
// and comes back as that byte, so no widget ever drops or replaces one.
// A few valid characters are escaped byte by byte too, because they would not
// come back as the same bytes: U+0000 (it ends a widget's text), a character
// that is itself in the escape range (a file may really hold one), and, in a
// code page other than UTF-8, a character whose bytes the code page would not
// give back when encoding it (best-fit and ambiguous mappings).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace landuo::ui {

inline constexpr char32_t kEscapeBase = 0x10FF00;

constexpr bool IsEscape(char32_t code_point) {
    return code_point >= kEscapeBase && code_point <= kEscapeBase + 0xFF;
}

// One multibyte code page, character by character.
class CodePage {
public:
    virtual ~CodePage() = default;

    // A short name for messages, such as "UTF-8" or "936".
    virtual std::string_view Name() const = 0;

    // True when the code page is UTF-8, which takes the fast paths.
    virtual bool IsUtf8() const = 0;

    // Decodes the character at the start of `bytes` (never empty): its length
    // in bytes, with `code_point` set, or 0 when the bytes start no valid
    // character. The answer depends only on the bytes it takes: a character
    // of length n decodes the same whatever follows it (true of every
    // stateless code page; the codec relies on it to decode single-byte
    // characters from a table it fills once per conversion).
    virtual std::size_t DecodeOne(std::string_view bytes, char32_t& code_point) const = 0;

    // Appends the code page's bytes for `code_point`; false if it has none.
    // The same code point always gives the same bytes.
    virtual bool EncodeOne(char32_t code_point, std::string& out) const = 0;
};

// The UTF-8 code page.
const CodePage& Utf8CodePage();

// Widget text back to code-page bytes; `unrepresentable` names the first
// character the code page cannot hold (then `bytes` is incomplete).
struct EncodedText {
    std::string bytes;
    std::optional<char32_t> unrepresentable;
};

// Bytes to widget text as UTF-8. Takes the bytes by value: valid UTF-8 on a
// UTF-8 code page, with no U+0000 and no escape-range character, is handed
// through without a copy.
std::string DecodeToUtf8(std::string bytes, const CodePage& code_page);

// Bytes to widget text as UTF-16.
std::u16string DecodeToUtf16(std::string_view bytes, const CodePage& code_page);

// UTF-8 widget text back to bytes. Invalid UTF-8 in `utf8` is taken byte by
// byte as escapes would be, so nothing is lost either way. On a UTF-8 code
// page text without escapes is handed back without a copy.
EncodedText EncodeFromUtf8(std::string utf8, const CodePage& code_page);

// UTF-16 widget text back to bytes; an unpaired surrogate is unrepresentable.
EncodedText EncodeFromUtf16(std::u16string_view utf16, const CodePage& code_page);

// Replaces every invalid UTF-8 sequence by U+FFFD, for text that is only shown
// (messages naming a file), never stored.
std::string SanitiseUtf8(std::string_view text);

// Appends the UTF-8 encoding of `code_point`; one that UTF-8 cannot hold (a
// surrogate, anything above U+10FFFF) appends U+FFFD instead.
void AppendUtf8(char32_t code_point, std::string& out);

}  // namespace landuo::ui
