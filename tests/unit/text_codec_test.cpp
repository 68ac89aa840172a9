#include "ui/text_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace landuo::ui {
namespace {

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char byte : bytes) {
        if (!hex.empty()) hex.push_back(' ');
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 15]);
    }
    return hex;
}

std::string Utf8(char32_t code_point) {
    std::string out;
    AppendUtf8(code_point, out);
    return out;
}

std::string Escapes(std::string_view bytes) {
    std::string out;
    for (unsigned char byte : bytes) AppendUtf8(kEscapeBase + byte, out);
    return out;
}

// What every widget needs: valid UTF-8 and no zero byte.
bool WidgetCanHold(const std::string& text) {
    return text.find('\0') == std::string::npos && SanitiseUtf8(text) == text;
}

// UTF-8 written down from the definition, independent of the codec: the
// shortest form of a Unicode scalar value.
std::string ReferenceEncode(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out = {static_cast<char>(cp)};
    } else if (cp < 0x800) {
        out = {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 63))};
    } else if (cp < 0x10000) {
        out = {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 63)),
               static_cast<char>(0x80 | (cp & 63))};
    } else {
        out = {static_cast<char>(0xF0 | (cp >> 18)), static_cast<char>(0x80 | ((cp >> 12) & 63)),
               static_cast<char>(0x80 | ((cp >> 6) & 63)), static_cast<char>(0x80 | (cp & 63))};
    }
    return out;
}

// Decodes by bit pattern alone, then accepts only what re-encodes to the same
// bytes and is a scalar value: another route to strict UTF-8.
std::size_t ReferenceDecode(std::string_view s, char32_t& cp) {
    const auto lead = static_cast<unsigned char>(s[0]);
    std::size_t length;
    if (lead < 0x80) {
        length = 1, cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07;
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto byte = static_cast<unsigned char>(s[k]);
        if ((byte & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte & 0x3F);
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    if (ReferenceEncode(cp) != s.substr(0, length)) return 0;
    return length;
}

// The built-in UTF-8 page without its fast paths: IsUtf8 says no, so the codec
// takes the path every other code page takes.
class SlowUtf8Page final : public CodePage {
public:
    std::string_view Name() const override { return "slow UTF-8"; }
    bool IsUtf8() const override { return false; }
    std::size_t DecodeOne(std::string_view bytes, char32_t& cp) const override {
        return Utf8CodePage().DecodeOne(bytes, cp);
    }
    bool EncodeOne(char32_t cp, std::string& out) const override { return Utf8CodePage().EncodeOne(cp, out); }
};

// A small double-byte code page in the manner of the East Asian ones: ASCII,
// one single-byte extra (0x80 is the euro sign), lead bytes 81..FE with trail
// bytes 40..7E and 80..FE. Three deliberate faults of real tables: FE FE is a
// second spelling of 81 40 and FF of 80 (encoding gives 81 40 and 80), and
// FD 40 decodes to a code point in the escape range. Optionally 7E is U+203E OVERLINE, not
// the tilde, as in some Japanese tables, so that ASCII is not all ASCII.
class ToyDoubleBytePage final : public CodePage {
public:
    static constexpr char32_t kFirst = 0x4E00;  // 81 40 is 一

    explicit ToyDoubleBytePage(bool overline = false) : overline_(overline) {}

    std::string_view Name() const override { return overline_ ? "toy with overline" : "toy"; }
    bool IsUtf8() const override { return false; }

    std::size_t DecodeOne(std::string_view bytes, char32_t& cp) const override {
        const auto lead = static_cast<unsigned char>(bytes[0]);
        if (lead == 0x7E && overline_) {
            cp = 0x203E;
            return 1;
        }
        if (lead < 0x80) {
            cp = lead;
            return 1;
        }
        if (lead == 0x80) {
            cp = 0x20AC;
            return 1;
        }
        if (lead == 0xFF) {  // a second spelling of the euro sign
            cp = 0x20AC;
            return 1;
        }
        if (bytes.size() < 2) return 0;
        const auto trail = static_cast<unsigned char>(bytes[1]);
        const int index = TrailIndex(trail);
        if (index < 0) return 0;
        if (lead == 0xFE && trail == 0xFE) {
            cp = kFirst;
        } else if (lead == 0xFD && trail == 0x40) {
            cp = kEscapeBase + 0x41;
        } else {
            cp = kFirst + (lead - 0x81) * 190 + static_cast<char32_t>(index);
        }
        return 2;
    }

    bool EncodeOne(char32_t cp, std::string& out) const override {
        if (overline_ && (cp == 0x7E || cp == 0x203E)) {
            if (cp == 0x7E) return false;
            out.push_back('\x7E');
            return true;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
            return true;
        }
        if (cp == 0x20AC) {
            out.push_back('\x80');
            return true;
        }
        if (cp < kFirst || cp >= kFirst + 126 * 190) return false;
        const char32_t offset = cp - kFirst;
        const int index = static_cast<int>(offset % 190);
        out.push_back(static_cast<char>(0x81 + offset / 190));
        out.push_back(static_cast<char>(index < 63 ? 0x40 + index : 0x80 + (index - 63)));
        return true;
    }

private:
    bool overline_;

    static int TrailIndex(unsigned char trail) {
        if (trail >= 0x40 && trail <= 0x7E) return trail - 0x40;
        if (trail >= 0x80 && trail <= 0xFE) return 63 + (trail - 0x80);
        return -1;
    }
};

// Compares long byte strings without asking the test framework for a diff of
// megabytes: names the first offset where they part.
::testing::AssertionResult SameBytes(std::string_view got, std::string_view want) {
    if (got == want) return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    return ::testing::AssertionFailure() << "sizes " << got.size() << " and " << want.size() << ", first difference at "
                                         << at << ": " << Hex(got.substr(at, 8)) << " instead of "
                                         << Hex(want.substr(at, 8));
}

void ExpectRoundTrip(const std::string& bytes, const CodePage& page) {
    const std::string text = DecodeToUtf8(bytes, page);
    ASSERT_TRUE(WidgetCanHold(text)) << page.Name() << ": " << Hex(bytes) << " -> " << Hex(text);
    const EncodedText back = EncodeFromUtf8(text, page);
    ASSERT_FALSE(back.unrepresentable) << page.Name() << ": " << Hex(bytes);
    ASSERT_TRUE(SameBytes(back.bytes, bytes)) << page.Name() << " through UTF-8";

    const std::u16string wide = DecodeToUtf16(bytes, page);
    ASSERT_EQ(wide.find(u'\0'), std::u16string::npos) << page.Name() << ": " << Hex(bytes);
    const EncodedText wide_back = EncodeFromUtf16(wide, page);
    ASSERT_FALSE(wide_back.unrepresentable) << page.Name() << ": " << Hex(bytes);
    ASSERT_TRUE(SameBytes(wide_back.bytes, bytes)) << page.Name() << " through UTF-16";
}

TEST(TextCodec, EverySingleByteAndEveryBytePairRoundTrips) {
    const SlowUtf8Page slow_utf8;
    const ToyDoubleBytePage toy;
    const ToyDoubleBytePage toy_overline(true);
    for (const CodePage* page : {&Utf8CodePage(), static_cast<const CodePage*>(&slow_utf8),
                                 static_cast<const CodePage*>(&toy), static_cast<const CodePage*>(&toy_overline)}) {
        for (int first = 0; first < 256; ++first) {
            ASSERT_NO_FATAL_FAILURE(ExpectRoundTrip(std::string(1, static_cast<char>(first)), *page));
            for (int second = 0; second < 256; ++second) {
                ASSERT_NO_FATAL_FAILURE(
                    ExpectRoundTrip(std::string{static_cast<char>(first), static_cast<char>(second)}, *page));
            }
        }
    }
}

TEST(TextCodec, RandomBytesRoundTripAndTheFastPathAgreesWithTheGenericOne) {
    // Bytes drawn mostly from the UTF-8 boundaries, so that valid sequences,
    // overlongs, surrogates, truncations and escapes all occur often.
    const std::vector<unsigned char> tricky = {0x00, 0x0A, 0x0D, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F,
                                               0xA0, 0xBC, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE4,
                                               0xED, 0xEF, 0xF0, 0xF3, 0xF4, 0xF5, 0xFF};
    std::mt19937 random(20240611);
    for (bool biased : {false, true}) {
        std::string bytes(1 << 20, '\0');
        for (char& byte : bytes) {
            const unsigned value = random();
            byte = static_cast<char>(biased ? tricky[value % tricky.size()] : value & 0xFF);
        }
        ExpectRoundTrip(bytes, Utf8CodePage());
        EXPECT_TRUE(SameBytes(DecodeToUtf8(bytes, Utf8CodePage()), DecodeToUtf8(bytes, SlowUtf8Page())))
            << "biased " << biased;
        EXPECT_TRUE(DecodeToUtf16(bytes, Utf8CodePage()) == DecodeToUtf16(bytes, SlowUtf8Page()))
            << "biased " << biased;
        ExpectRoundTrip(bytes, ToyDoubleBytePage());
        ExpectRoundTrip(bytes, ToyDoubleBytePage(true));
    }
}

TEST(TextCodec, Utf8DecodeOneIsStrictForEveryShortSequence) {
    const CodePage& page = Utf8CodePage();
    EXPECT_EQ(page.Name(), "UTF-8");
    EXPECT_TRUE(page.IsUtf8());
    std::string s(3, '\0');
    for (std::uint32_t n = 0; n < (1u << 24); ++n) {
        s[0] = static_cast<char>(n >> 16), s[1] = static_cast<char>(n >> 8), s[2] = static_cast<char>(n);
        char32_t got = 0, want = 0;
        const std::size_t length = page.DecodeOne(s, got);
        const std::size_t expected = ReferenceDecode(s, want);
        ASSERT_EQ(length, expected) << Hex(s);
        if (length != 0) {
            ASSERT_EQ(got, want) << Hex(s);
        }
    }
    // Four-byte sequences: every lead from F0 to F7 with every mix of
    // continuation bytes and their neighbours.
    std::vector<char> seconds;
    for (int b = 0x7F; b <= 0xC0; ++b) seconds.push_back(static_cast<char>(b));
    s.resize(4);
    for (int lead = 0xF0; lead <= 0xF7; ++lead) {
        for (char b1 : seconds) {
            for (char b2 : seconds) {
                for (char b3 : seconds) {
                    s = {static_cast<char>(lead), b1, b2, b3};
                    char32_t got = 0, want = 0;
                    const std::size_t length = page.DecodeOne(s, got);
                    ASSERT_EQ(length, ReferenceDecode(s, want)) << Hex(s);
                    if (length != 0) {
                        ASSERT_EQ(got, want) << Hex(s);
                    }
                }
            }
        }
    }
    // And every scalar value encodes as the reference does and decodes back.
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        std::string encoded;
        const bool scalar = cp < 0xD800 || cp > 0xDFFF;
        ASSERT_EQ(page.EncodeOne(cp, encoded), scalar) << std::hex << static_cast<std::uint32_t>(cp);
        if (!scalar) continue;
        ASSERT_EQ(encoded, ReferenceEncode(cp)) << std::hex << static_cast<std::uint32_t>(cp);
        ASSERT_EQ(Utf8(cp), encoded) << std::hex << static_cast<std::uint32_t>(cp);
    }
    std::string ignored;
    EXPECT_FALSE(page.EncodeOne(0x110000, ignored));
}

TEST(TextCodec, BytesThatAreNotValidUtf8BecomeOneEscapeEach) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"\xE4\xB8\xAD\xE6\x96\x87", "\xE4\xB8\xAD\xE6\x96\x87"},  // 中文 is left alone
        {"\xC0\x80", Escapes("\xC0\x80")},                         // overlong U+0000
        {"\xE0\x80\xAF", Escapes("\xE0\x80\xAF")},                 // overlong '/'
        {"\xF0\x8F\xBF\xBF", Escapes("\xF0\x8F\xBF\xBF")},         // overlong U+FFFF
        {"\xED\xA0\x80", Escapes("\xED\xA0\x80")},                 // a surrogate
        {"\xF4\x90\x80\x80", Escapes("\xF4\x90\x80\x80")},         // above U+10FFFF
        {"\xE4\xB8", Escapes("\xE4\xB8")},                         // cut short at the end
        {"\xE4\xB8"
         "A",
         Escapes("\xE4\xB8") + "A"},                                          // cut short before ASCII
        {"\xE4\xE4\xB8\xAD", Escapes("\xE4") + "\xE4\xB8\xAD"},               // a lead, then a whole 中
        {"\x80\xBF\xF5\xFF", Escapes("\x80\xBF\xF5\xFF")},                    // never valid
        {std::string("a\0b", 3), "a" + Escapes(std::string(1, '\0')) + "b"},  // no widget holds U+0000
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Hex(DecodeToUtf8(c.bytes, Utf8CodePage())), Hex(c.text)) << Hex(c.bytes);
        EXPECT_EQ(EncodeFromUtf8(c.text, Utf8CodePage()).bytes, c.bytes) << Hex(c.bytes);
    }
}

TEST(TextCodec, EscapeRangeCharactersReallyInTheFileSurviveByteByByte) {
    // U+10FF00, U+10FF41 and U+10FFFF written in the file as real UTF-8.
    const std::string bytes = "x" + Utf8(0x10FF00) + "y" + Utf8(0x10FF41) + Utf8(0x10FFFF) + Utf8(0x10FEFF);
    const std::string text = DecodeToUtf8(bytes, Utf8CodePage());
    EXPECT_EQ(Hex(text), Hex("x" + Escapes(Utf8(0x10FF00)) + "y" + Escapes(Utf8(0x10FF41)) + Escapes(Utf8(0x10FFFF)) +
                             Utf8(0x10FEFF)));
    EXPECT_EQ(EncodeFromUtf8(text, Utf8CodePage()).bytes, bytes);
    EXPECT_EQ(EncodeFromUtf16(DecodeToUtf16(bytes, Utf8CodePage()), Utf8CodePage()).bytes, bytes);
    // Through a widget the same escapes come back as UTF-16 pairs.
    EXPECT_EQ(EncodeFromUtf16(u"\xDBFF\xDF41\xDBFF\xDF00", Utf8CodePage()).bytes, std::string("A\0", 2));
}

TEST(TextCodec, LineEndsStayExactlyAsTheyAre) {
    const std::string bytes = "one\r\ntwo\nthree\rfour\r\n\r\n\n\r";
    const ToyDoubleBytePage toy;
    for (const CodePage* page : {&Utf8CodePage(), static_cast<const CodePage*>(&toy)}) {
        const std::string text = DecodeToUtf8(bytes, *page);
        EXPECT_EQ(text, bytes) << page->Name();
        EXPECT_EQ(DecodeToUtf16(bytes, *page), u"one\r\ntwo\nthree\rfour\r\n\r\n\n\r") << page->Name();
        EXPECT_EQ(EncodeFromUtf8(text, *page).bytes, bytes) << page->Name();
    }
}

TEST(TextCodec, Utf16CombinesSurrogatePairsAndReportsUnpairedOnes) {
    const std::string bytes = "a\xF0\x9F\x98\x80\xE4\xB8\xAD\xF4\x8F\xBF\xBF";  // a 😀 中 U+10FFFF as real text
    const std::u16string wide = DecodeToUtf16(bytes, Utf8CodePage());
    EXPECT_EQ(wide.substr(0, 4), u"a\U0001F600\u4E2D");
    EXPECT_EQ(EncodeFromUtf16(wide, Utf8CodePage()).bytes, bytes);
    EXPECT_EQ(EncodeFromUtf16(u"\U0001F600\U0010FEFD", Utf8CodePage()).bytes, "\xF0\x9F\x98\x80\xF4\x8F\xBB\xBD");

    struct Case {
        std::u16string text;
        std::string bytes_before;
        char32_t unrepresentable;
    };
    const std::vector<Case> cases = {
        {u"ab\xD800z", "ab", 0xD800},   // a high surrogate alone
        {u"ab\xDC00z", "ab", 0xDC00},   // a low surrogate alone
        {u"ab\xD83D", "ab", 0xD83D},    // a high surrogate at the very end
        {u"\xDE00\xD83D", "", 0xDE00},  // the pair the wrong way round
    };
    for (const Case& c : cases) {
        const EncodedText encoded = EncodeFromUtf16(c.text, Utf8CodePage());
        ASSERT_TRUE(encoded.unrepresentable.has_value()) << Hex(c.bytes_before);
        EXPECT_EQ(*encoded.unrepresentable, c.unrepresentable);
        EXPECT_EQ(encoded.bytes, c.bytes_before);
    }
}

TEST(TextCodec, ValidUtf8IsHandedThroughWithoutACopy) {
    std::string chunk = "Plain ASCII line, then 中文字符和标点，混在一起。\r\n";
    std::string large;
    while (large.size() < (16u << 20)) large += chunk;
    const std::string expected = large;

    const char* before = large.data();
    std::string text = DecodeToUtf8(std::move(large), Utf8CodePage());
    EXPECT_EQ(text.data(), before) << "decoding valid UTF-8 copied it";
    EXPECT_TRUE(SameBytes(text, expected));

    EncodedText encoded = EncodeFromUtf8(std::move(text), Utf8CodePage());
    EXPECT_EQ(encoded.bytes.data(), before) << "encoding text without escapes copied it";
    EXPECT_TRUE(SameBytes(encoded.bytes, expected));
    EXPECT_FALSE(encoded.unrepresentable);

    // Invalid bytes handed to the encoder stand for themselves.
    for (const std::string invalid : {"a\xFF\xE4\xB8"
                                      "b\xC0",
                                      "\xF4\x8F\xBC"
                                      "A",
                                      "x\xF4\x8F\xBC", "\xF4\x8F\xBF\xC0"}) {
        EXPECT_EQ(Hex(EncodeFromUtf8(invalid, Utf8CodePage()).bytes), Hex(invalid));
    }
    EXPECT_EQ(EncodeFromUtf8("\xE4" + Escapes(std::string("\x41\x00", 2)), Utf8CodePage()).bytes,
              std::string("\xE4\x41\x00", 3));
}

TEST(TextCodec, ADoubleByteCodePageKeepsOnlyWhatComesBackTheSame) {
    const ToyDoubleBytePage toy;
    struct Case {
        std::string bytes;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"A\x81\x40"
         "B\x80",
         "A\xE4\xB8\x80"
         "B\xE2\x82\xAC"},                    // A 一 B €
        {"\xFE\xFE", Escapes("\xFE\xFE")},    // a second spelling of 一
        {"\xFD\x40", Escapes("\xFD\x40")},    // decodes into the escape range
        {"\x81\x30", Escapes("\x81") + "0"},  // a trail byte that is not one
        {"\x81", Escapes("\x81")},            // a lead byte at the end
        {"\xFF", Escapes("\xFF")},            // a second spelling of €
    };
    // Long texts take single-byte characters from a table: each case again
    // behind enough ASCII to take that road.
    const std::string long_prefix(300, 'a');
    for (const Case& c : cases) {
        EXPECT_EQ(Hex(DecodeToUtf8(c.bytes, toy)), Hex(c.text)) << Hex(c.bytes);
        EXPECT_EQ(Hex(EncodeFromUtf8(c.text, toy).bytes), Hex(c.bytes)) << Hex(c.bytes);
        EXPECT_EQ(DecodeToUtf8(long_prefix + c.bytes, toy), long_prefix + c.text) << Hex(c.bytes);
        EXPECT_EQ(EncodeFromUtf8(long_prefix + c.text, toy).bytes, long_prefix + c.bytes) << Hex(c.bytes);
    }
    // Where 7E is the overline, the tilde is a character the page lacks.
    const ToyDoubleBytePage overline(true);
    for (const std::string& prefix : {std::string(), long_prefix}) {
        EXPECT_EQ(DecodeToUtf8(prefix + "~\x80", overline), prefix + "\u203E\u20AC");
        EXPECT_EQ(DecodeToUtf16(prefix + "~", overline), std::u16string(prefix.begin(), prefix.end()) + u"\u203E");
        EXPECT_EQ(EncodeFromUtf8(prefix + "\u203E", overline).bytes, prefix + "~");
        const EncodedText tilde = EncodeFromUtf8(prefix + "~", overline);
        ASSERT_TRUE(tilde.unrepresentable.has_value());
        EXPECT_EQ(*tilde.unrepresentable, U'~');
        EXPECT_EQ(tilde.bytes, prefix);
        const EncodedText wide_tilde = EncodeFromUtf16(std::u16string(prefix.begin(), prefix.end()) + u"~", overline);
        ASSERT_TRUE(wide_tilde.unrepresentable.has_value());
        EXPECT_EQ(wide_tilde.bytes, prefix);
    }
    // Invalid UTF-8 from the widget side goes through as the same bytes.
    EXPECT_EQ(EncodeFromUtf8("x\xC3y", toy).bytes, "x\xC3y");
}

TEST(TextCodec, TheFirstCharacterTheCodePageCannotHoldIsReported) {
    const ToyDoubleBytePage toy;
    const EncodedText from_utf8 = EncodeFromUtf8("a\xE4\xB8\x80\xC3\xA9z\xC3\xA9", toy);  // a 一 é z é
    ASSERT_TRUE(from_utf8.unrepresentable.has_value());
    EXPECT_EQ(*from_utf8.unrepresentable, U'\u00E9');
    EXPECT_EQ(from_utf8.bytes, "a\x81\x40");

    const EncodedText from_utf16 = EncodeFromUtf16(u"\u20AC\U0001F600a", toy);
    ASSERT_TRUE(from_utf16.unrepresentable.has_value());
    EXPECT_EQ(*from_utf16.unrepresentable, U'\U0001F600');
    EXPECT_EQ(from_utf16.bytes, "\x80");

    const EncodedText fine = EncodeFromUtf16(u"\u4E00\xDBFF\xDFFF", toy);
    EXPECT_FALSE(fine.unrepresentable);
    EXPECT_EQ(fine.bytes, "\x81\x40\xFF");
}

TEST(TextCodec, SanitiseReplacesEachBrokenSequenceOnce) {
    const std::string r = "\xEF\xBF\xBD";
    struct Case {
        std::string in;
        std::string out;
    };
    const std::vector<Case> cases = {
        {"中文 and ASCII", "中文 and ASCII"},
        {"a\xE4\xB8", "a" + r},  // one for the cut-short character
        {"\xE4\xB8"
         "A",
         r + "A"},
        {"\xF0\x9F\x98"
         "!",
         r + "!"},
        {"\xC0\x80", r + r},          // C0 never starts anything
        {"\xED\xA0\x80", r + r + r},  // ED A0 is no start of a scalar value
        {"\xF4\x90\x80", r + r + r},
        {"\x80\xFF", r + r},
        {Utf8(0x10FF41), Utf8(0x10FF41)},  // escapes are valid text
    };
    for (const Case& c : cases) EXPECT_EQ(Hex(SanitiseUtf8(c.in)), Hex(c.out)) << Hex(c.in);
}

TEST(TextCodec, AppendUtf8AtEveryLengthBoundary) {
    struct Case {
        char32_t cp;
        std::string utf8;
    };
    const std::vector<Case> cases = {
        {0x00, std::string(1, '\0')},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
        {0xD800, "\xEF\xBF\xBD"},
        {0x110000, "\xEF\xBF\xBD"},  // not encodable: U+FFFD
    };
    for (const Case& c : cases) EXPECT_EQ(Hex(Utf8(c.cp)), Hex(c.utf8)) << std::hex << static_cast<std::uint32_t>(c.cp);
}

}  // namespace
}  // namespace landuo::ui
