#include "ui/text_codec.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace landuo::ui {
namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr char32_t kReplacement = 0xFFFD;

constexpr bool IsSurrogate(char32_t code_point) { return code_point >= 0xD800 && code_point <= 0xDFFF; }

// A code point a widget can hold as it is: a Unicode scalar value other than
// U+0000 (which ends a widget's text) and other than the escapes themselves
// (which would come back as single bytes, not as the character).
constexpr bool WidgetSafe(char32_t code_point) {
    return code_point != 0 && code_point <= kMaxCodePoint && !IsSurrogate(code_point) && !IsEscape(code_point);
}

// Strict UTF-8: the shortest form only, no surrogates, nothing above
// U+10FFFF. Gives the sequence's length with `code_point` set, or 0.
inline std::size_t DecodeUtf8Char(const unsigned char* p, std::size_t size, char32_t& code_point) {
    const unsigned lead = p[0];
    if (lead < 0x80) {
        code_point = lead;
        return 1;
    }
    if (lead < 0xC2) return 0;  // a continuation byte, or an overlong two-byte lead
    if (lead < 0xE0) {
        if (size < 2 || (p[1] & 0xC0) != 0x80) return 0;
        code_point = ((lead & 0x1F) << 6) | (p[1] & 0x3F);
        return 2;
    }
    if (lead < 0xF0) {
        if (size < 3) return 0;
        const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;   // shortest form
        const unsigned high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
        if (p[1] < low || p[1] > high || (p[2] & 0xC0) != 0x80) return 0;
        code_point = ((lead & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        return 3;
    }
    if (lead < 0xF5) {
        if (size < 4) return 0;
        const unsigned low = lead == 0xF0 ? 0x90 : 0x80;   // shortest form
        const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
        if (p[1] < low || p[1] > high || (p[2] & 0xC0) != 0x80 || (p[3] & 0xC0) != 0x80) return 0;
        code_point = ((lead & 0x07) << 18) | ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6) | (p[3] & 0x3F);
        return 4;
    }
    return 0;
}

// The length of the longest start of a valid sequence at `p` (at least 1):
// what one U+FFFD stands for when the sequence there is invalid.
std::size_t InvalidUtf8Length(const unsigned char* p, std::size_t size) {
    const unsigned lead = p[0];
    std::size_t needed = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead < 0xE0) {
        needed = 2;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        needed = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead < 0xF5) {
        needed = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 1;
    }
    std::size_t length = 1;
    while (length < needed && length < size) {
        const unsigned byte = p[length];
        if (length == 1 ? (byte < low || byte > high) : (byte & 0xC0) != 0x80) break;
        ++length;
    }
    return length;
}

std::uint64_t Load8(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// True when one of the eight bytes is not plain ASCII or is zero.
constexpr bool NeedsLook(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    return ((word | ((word - kOnes) & ~word)) & kHighs) != 0;
}

// NeedsLook over 32 bytes at once; with SSE2 (every x86-64) in two vector loads.
bool NeedsLook32(const unsigned char* p) {
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const __m128i zero = _mm_setzero_si128();
    const __m128i zeros = _mm_or_si128(_mm_cmpeq_epi8(a, zero), _mm_cmpeq_epi8(b, zero));
    return _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), zeros)) != 0;
#else
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    const std::uint64_t w0 = Load8(p), w1 = Load8(p + 8), w2 = Load8(p + 16), w3 = Load8(p + 24);
    const std::uint64_t zeros = ((w0 - kOnes) & ~w0) | ((w1 - kOnes) & ~w1) | ((w2 - kOnes) & ~w2) | ((w3 - kOnes) & ~w3);
    return ((w0 | w1 | w2 | w3 | zeros) & kHighs) != 0;
#endif
}

// The offset of the first byte at which valid, widget-safe UTF-8 stops, or
// `size` when all of it is.
std::size_t Utf8SafePrefix(const unsigned char* p, std::size_t size, std::size_t from) {
    std::size_t i = from;
    while (i < size) {
        // Long runs of plain text go 32 bytes a step.
        while (size - i >= 32 && !NeedsLook32(p + i)) {
            i += 32;
        }
        if (size - i >= 8 && !NeedsLook(Load8(p + i))) {
            i += 8;
            continue;
        }
        if (p[i] != 0 && p[i] < 0x80) {
            ++i;
            continue;
        }
        char32_t code_point = 0;
        const std::size_t length = DecodeUtf8Char(p + i, size - i, code_point);
        if (length == 0 || !WidgetSafe(code_point)) return i;
        i += length;
    }
    return size;
}

// Writes the UTF-8 of a Unicode scalar value; gives the number of bytes.
std::size_t PutUtf8(char32_t code_point, char* out) {
    if (code_point < 0x80) {
        out[0] = static_cast<char>(code_point);
        return 1;
    }
    if (code_point < 0x800) {
        out[0] = static_cast<char>(0xC0 | (code_point >> 6));
        out[1] = static_cast<char>(0x80 | (code_point & 0x3F));
        return 2;
    }
    if (code_point < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (code_point >> 12));
        out[1] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (code_point & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (code_point >> 18));
    out[1] = static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (code_point & 0x3F));
    return 4;
}

std::size_t PutUtf16(char32_t code_point, char16_t* out) {
    if (code_point < 0x10000) {
        out[0] = static_cast<char16_t>(code_point);
        return 1;
    }
    code_point -= 0x10000;
    out[0] = static_cast<char16_t>(0xD800 + (code_point >> 10));
    out[1] = static_cast<char16_t>(0xDC00 + (code_point & 0x3FF));
    return 2;
}

// Appends to a string through a small fixed buffer, so that a long text costs
// one append per few thousand units rather than one per character. Flush must
// be called at the end; no destructor does it, since appending may throw.
template <typename Unit>
class Appender {
public:
    static constexpr std::size_t kCapacity = 4096;

    explicit Appender(std::basic_string<Unit>& out) : out_(out) {}
    Appender(const Appender&) = delete;
    Appender& operator=(const Appender&) = delete;

    // Room for `count` (at most kCapacity) more units; Advance says how many
    // were written.
    Unit* Room(std::size_t count) {
        if (kCapacity - used_ < count) Flush();
        return buffer_ + used_;
    }
    void Advance(std::size_t count) { used_ += count; }

    void Put(Unit unit) {
        if (used_ == kCapacity) Flush();
        buffer_[used_++] = unit;
    }

    void Append(const Unit* units, std::size_t count) {
        if (count > kCapacity / 4) {
            Flush();
            out_.append(units, count);
            return;
        }
        std::memcpy(Room(count), units, count * sizeof(Unit));
        used_ += count;
    }

    void Flush() {
        out_.append(buffer_, used_);
        used_ = 0;
    }

private:
    std::basic_string<Unit>& out_;
    Unit buffer_[kCapacity];
    std::size_t used_ = 0;
};

// The end of the run of plain ASCII (no zero byte) that starts at `from`.
std::size_t AsciiRunEnd(const unsigned char* p, std::size_t size, std::size_t from) {
    std::size_t i = from;
    while (size - i >= 8 && !NeedsLook(Load8(p + i))) i += 8;
    while (i < size && p[i] != 0 && p[i] < 0x80) ++i;
    return i;
}

class Utf8Sink {
public:
    explicit Utf8Sink(std::string& out) : out_(out) {}
    void Char(char32_t code_point) { out_.Advance(PutUtf8(code_point, out_.Room(4))); }
    // `p` holds only valid, widget-safe UTF-8.
    void Run(const unsigned char* p, std::size_t n) { out_.Append(reinterpret_cast<const char*>(p), n); }
    void Finish() { out_.Flush(); }

private:
    Appender<char> out_;
};

class Utf16Sink {
public:
    explicit Utf16Sink(std::u16string& out) : out_(out) {}
    void Char(char32_t code_point) { out_.Advance(PutUtf16(code_point, out_.Room(2))); }
    // `p` holds only valid, widget-safe UTF-8.
    void Run(const unsigned char* p, std::size_t n) {
        constexpr std::uint64_t kHighs = 0x8080808080808080;
        std::size_t i = 0;
        while (i < n) {
            if (n - i >= 8 && (Load8(p + i) & kHighs) == 0) {
                char16_t* room = out_.Room(8);
                for (std::size_t k = 0; k < 8; ++k) room[k] = p[i + k];
                out_.Advance(8);
                i += 8;
                continue;
            }
            char32_t code_point = 0;
            i += DecodeUtf8Char(p + i, n - i, code_point);
            Char(code_point);
        }
    }
    void Finish() { out_.Flush(); }

private:
    Appender<char16_t> out_;
};

template <typename Sink>
void EscapeBytes(const unsigned char* p, std::size_t n, Sink& sink) {
    for (std::size_t k = 0; k < n; ++k) sink.Char(kEscapeBase + p[k]);
}

// UTF-8 bytes to widget text, from `from` on: runs of safe text are copied
// whole, everything else escaped byte by byte.
template <typename Sink>
void DecodeUtf8Bytes(const unsigned char* p, std::size_t size, std::size_t from, Sink& sink) {
    std::size_t i = from;
    while (i < size) {
        const std::size_t safe_end = Utf8SafePrefix(p, size, i);
        sink.Run(p + i, safe_end - i);
        i = safe_end;
        if (i == size) break;
        char32_t code_point = 0;
        const std::size_t length = DecodeUtf8Char(p + i, size - i, code_point);
        // A valid character that is not safe (U+0000, an escape present in the
        // file) goes byte by byte; an invalid sequence only loses its first
        // byte, and decoding starts again at the next.
        const std::size_t escaped = length == 0 ? 1 : length;
        EscapeBytes(p + i, escaped, sink);
        i += escaped;
    }
}

// Below this many bytes asking the code page about every character costs less
// than filling the tables first.
constexpr std::size_t kTablesPayFrom = 256;

// What each byte shows as when it is a character on its own, asked of the code
// page once per conversion: a widget-safe code point that encodes back to that
// very byte, or kAsk (a lead byte, an invalid byte, anything unsafe).
struct SingleByteTable {
    static constexpr char32_t kAsk = 0xFFFFFFFF;
    std::array<char32_t, 256> shown;
    bool ascii_as_itself = true;  // bytes 01..7F all show as U+0001..U+007F
};

SingleByteTable ProbeSingleBytes(const CodePage& code_page) {
    SingleByteTable table;
    table.shown.fill(SingleByteTable::kAsk);
    std::string encoded;
    for (unsigned value = 0; value < 256; ++value) {
        const char byte = static_cast<char>(value);
        char32_t code_point = 0;
        if (code_page.DecodeOne(std::string_view(&byte, 1), code_point) == 1 && WidgetSafe(code_point)) {
            encoded.clear();
            if (code_page.EncodeOne(code_point, encoded) && encoded.size() == 1 && encoded[0] == byte) {
                table.shown[value] = code_point;
            }
        }
        if (value > 0 && value < 0x80 && table.shown[value] != value) table.ascii_as_itself = false;
    }
    return table;
}

// True when U+0000..U+007F each encode as the one byte of the same value.
bool AsciiEncodesAsItself(const CodePage& code_page) {
    std::string encoded;
    for (char32_t code_point = 0; code_point < 0x80; ++code_point) {
        encoded.clear();
        if (!code_page.EncodeOne(code_point, encoded) || encoded.size() != 1 ||
            static_cast<unsigned char>(encoded[0]) != code_point) {
            return false;
        }
    }
    return true;
}

// Any other code page, one character at a time through the code page itself,
// single-byte characters from a table when the text is long enough.
template <typename Sink>
void DecodeGenericBytes(std::string_view bytes, const CodePage& code_page, Sink& sink) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    std::optional<SingleByteTable> table;
    if (size >= kTablesPayFrom) table = ProbeSingleBytes(code_page);
    std::string reencoded;
    std::size_t i = 0;
    while (i < size) {
        if (table) {
            if (table->ascii_as_itself) {
                const std::size_t run_end = AsciiRunEnd(p, size, i);
                if (run_end != i) {
                    sink.Run(p + i, run_end - i);
                    i = run_end;
                    continue;
                }
            }
            const char32_t shown = table->shown[p[i]];
            if (shown != SingleByteTable::kAsk) {
                sink.Char(shown);
                ++i;
                continue;
            }
        }
        char32_t code_point = 0;
        std::size_t length = code_page.DecodeOne(bytes.substr(i), code_point);
        if (length > size - i) length = 0;  // a code page that reads past the end is not believed
        if (length == 0) {
            EscapeBytes(p + i, 1, sink);
            ++i;
            continue;
        }
        // Only a character that comes back as the very same bytes is shown as
        // a character; a best-fit or ambiguous mapping would change the file.
        bool keep = WidgetSafe(code_point);
        if (keep) {
            reencoded.clear();
            keep = code_page.EncodeOne(code_point, reencoded) && reencoded == bytes.substr(i, length);
        }
        if (keep) {
            sink.Char(code_point);
        } else {
            EscapeBytes(p + i, length, sink);
        }
        i += length;
    }
}

// Where the escape U+10FF00 + x starts in UTF-8 (F4 8F BC..BF 80..BF), or
// npos. The lead byte F4 never occurs inside another sequence, so searching
// for it finds exactly what a decoder walking from the start would find.
std::size_t FindEscape(std::string_view utf8, std::size_t from) {
    while (from < utf8.size()) {
        const void* hit = std::memchr(utf8.data() + from, 0xF4, utf8.size() - from);
        if (hit == nullptr) return std::string_view::npos;
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - utf8.data());
        if (utf8.size() - at >= 4) {
            const auto* p = reinterpret_cast<const unsigned char*>(utf8.data() + at);
            if (p[1] == 0x8F && p[2] >= 0xBC && p[2] <= 0xBF && (p[3] & 0xC0) == 0x80) return at;
        }
        from = at + 1;
    }
    return std::string_view::npos;
}

char EscapedByte(char32_t code_point) {
    return static_cast<char>(static_cast<unsigned char>(code_point - kEscapeBase));
}

class Utf8Page final : public CodePage {
public:
    std::string_view Name() const override { return "UTF-8"; }
    bool IsUtf8() const override { return true; }

    std::size_t DecodeOne(std::string_view bytes, char32_t& code_point) const override {
        if (bytes.empty()) return 0;
        return DecodeUtf8Char(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), code_point);
    }

    bool EncodeOne(char32_t code_point, std::string& out) const override {
        if (code_point > kMaxCodePoint || IsSurrogate(code_point)) return false;
        AppendUtf8(code_point, out);
        return true;
    }
};

}  // namespace

const CodePage& Utf8CodePage() {
    static const Utf8Page page;
    return page;
}

std::string DecodeToUtf8(std::string bytes, const CodePage& code_page) {
    std::string text;
    if (code_page.IsUtf8()) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        const std::size_t safe_end = Utf8SafePrefix(p, bytes.size(), 0);
        if (safe_end == bytes.size()) return bytes;
        text.reserve(bytes.size() + (bytes.size() - safe_end) / 2 + 16);
        text.append(bytes, 0, safe_end);
        Utf8Sink sink(text);
        DecodeUtf8Bytes(p, bytes.size(), safe_end, sink);
        sink.Finish();
        return text;
    }
    text.reserve(bytes.size() + bytes.size() / 2);
    Utf8Sink sink(text);
    DecodeGenericBytes(bytes, code_page, sink);
    sink.Finish();
    return text;
}

std::u16string DecodeToUtf16(std::string_view bytes, const CodePage& code_page) {
    std::u16string text;
    text.reserve(bytes.size());
    Utf16Sink sink(text);
    if (code_page.IsUtf8()) {
        DecodeUtf8Bytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 0, sink);
    } else {
        DecodeGenericBytes(bytes, code_page, sink);
    }
    sink.Finish();
    return text;
}

EncodedText EncodeFromUtf8(std::string utf8, const CodePage& code_page) {
    EncodedText result;
    if (code_page.IsUtf8()) {
        // Everything but the escapes is already the code page's bytes, invalid
        // sequences included (they stand for themselves).
        std::size_t escape = FindEscape(utf8, 0);
        if (escape == std::string_view::npos) {
            result.bytes = std::move(utf8);
            return result;
        }
        std::string& bytes = result.bytes;
        bytes.reserve(utf8.size());
        std::size_t from = 0;
        while (escape != std::string_view::npos) {
            bytes.append(utf8, from, escape - from);
            char32_t code_point = 0;
            DecodeUtf8Char(reinterpret_cast<const unsigned char*>(utf8.data() + escape), 4, code_point);
            bytes.push_back(EscapedByte(code_point));
            from = escape + 4;
            escape = FindEscape(utf8, from);
        }
        bytes.append(utf8, from, std::string::npos);
        return result;
    }

    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t size = utf8.size();
    const bool ascii_as_itself = size >= kTablesPayFrom && AsciiEncodesAsItself(code_page);
    result.bytes.reserve(size);
    Appender<char> out(result.bytes);
    std::string encoded;
    std::size_t i = 0;
    while (i < size) {
        if (ascii_as_itself && p[i] < 0x80) {
            std::size_t run_end = i;
            while (size - run_end >= 8 && (Load8(p + run_end) & 0x8080808080808080) == 0) run_end += 8;
            while (run_end < size && p[run_end] < 0x80) ++run_end;
            out.Append(utf8.data() + i, run_end - i);
            i = run_end;
            continue;
        }
        char32_t code_point = 0;
        const std::size_t length = DecodeUtf8Char(p + i, size - i, code_point);
        if (length == 0) {
            out.Put(utf8[i]);
            ++i;
            continue;
        }
        if (IsEscape(code_point)) {
            out.Put(EscapedByte(code_point));
        } else {
            encoded.clear();
            if (!code_page.EncodeOne(code_point, encoded)) {
                result.unrepresentable = code_point;
                break;
            }
            out.Append(encoded.data(), encoded.size());
        }
        i += length;
    }
    out.Flush();
    return result;
}

EncodedText EncodeFromUtf16(std::u16string_view utf16, const CodePage& code_page) {
    EncodedText result;
    const bool utf8 = code_page.IsUtf8();
    const bool ascii_as_itself = utf8 || (utf16.size() >= kTablesPayFrom && AsciiEncodesAsItself(code_page));
    result.bytes.reserve(utf16.size() + utf16.size() / 2);
    Appender<char> out(result.bytes);
    std::string encoded;
    std::size_t i = 0;
    while (i < utf16.size()) {
        char32_t code_point = utf16[i];
        if (code_point < 0x80 && ascii_as_itself) {
            out.Put(static_cast<char>(code_point));
            ++i;
            continue;
        }
        std::size_t length = 1;
        if (code_point >= 0xD800 && code_point <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            code_point = 0x10000 + ((code_point - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            length = 2;
        }
        if (IsSurrogate(code_point)) {
            result.unrepresentable = code_point;
            break;
        }
        if (IsEscape(code_point)) {
            out.Put(EscapedByte(code_point));
        } else if (utf8) {
            out.Advance(PutUtf8(code_point, out.Room(4)));
        } else {
            encoded.clear();
            if (!code_page.EncodeOne(code_point, encoded)) {
                result.unrepresentable = code_point;
                break;
            }
            out.Append(encoded.data(), encoded.size());
        }
        i += length;
    }
    out.Flush();
    return result;
}

std::string SanitiseUtf8(std::string_view text) {
    std::string clean;
    clean.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t i = 0;
    std::size_t run_start = 0;
    while (i < text.size()) {
        char32_t code_point = 0;
        const std::size_t length = DecodeUtf8Char(p + i, text.size() - i, code_point);
        if (length != 0) {
            i += length;
            continue;
        }
        clean.append(text.substr(run_start, i - run_start));
        AppendUtf8(kReplacement, clean);
        i += InvalidUtf8Length(p + i, text.size() - i);
        run_start = i;
    }
    clean.append(text.substr(run_start));
    return clean;
}

void AppendUtf8(char32_t code_point, std::string& out) {
    if (code_point > kMaxCodePoint || IsSurrogate(code_point)) code_point = kReplacement;
    char units[4];
    out.append(units, PutUtf8(code_point, units));
}

}  // namespace landuo::ui
