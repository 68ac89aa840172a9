#include "ui/gtk/iconv_code_page.h"

#include <iconv.h>
#include <langinfo.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <string>

namespace landuo::ui::gtk {

namespace {

bool IsUtf8Name(std::string name) {
    for (char& c : name) {
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return name == "UTF-8" || name == "UTF8";
}

// One iconv conversion in each direction, character by character.
class IconvCodePage final : public CodePage {
public:
    IconvCodePage(std::string name, iconv_t decoder, iconv_t encoder)
        : name_(std::move(name)), decoder_(decoder), encoder_(encoder) {}
    ~IconvCodePage() override {
        iconv_close(decoder_);
        iconv_close(encoder_);
    }
    IconvCodePage(const IconvCodePage&) = delete;
    IconvCodePage& operator=(const IconvCodePage&) = delete;

    std::string_view Name() const override { return name_; }
    bool IsUtf8() const override { return false; }

    std::size_t DecodeOne(std::string_view bytes, char32_t& code_point) const override {
        // The shortest prefix that makes one whole character.
        const std::size_t longest = bytes.size() < 4 ? bytes.size() : 4;
        for (std::size_t length = 1; length <= longest; ++length) {
            iconv(decoder_, nullptr, nullptr, nullptr, nullptr);
            char in[4];
            std::memcpy(in, bytes.data(), length);
            char* in_at = in;
            std::size_t in_left = length;
            char32_t out[2] = {0, 0};
            char* out_at = reinterpret_cast<char*>(out);
            std::size_t out_left = sizeof out;
            const std::size_t result = iconv(decoder_, &in_at, &in_left, &out_at, &out_left);
            if (result == static_cast<std::size_t>(-1)) {
                if (errno == EINVAL) {
                    continue;  // incomplete: take one more byte
                }
                return 0;
            }
            if (sizeof out - out_left != sizeof(char32_t)) {
                return 0;  // no character, or more than one
            }
            code_point = out[0];
            return length;
        }
        return 0;
    }

    bool EncodeOne(char32_t code_point, std::string& out) const override {
        iconv(encoder_, nullptr, nullptr, nullptr, nullptr);
        char32_t in[1] = {code_point};
        char* in_at = reinterpret_cast<char*>(in);
        std::size_t in_left = sizeof in;
        char buffer[16];
        char* out_at = buffer;
        std::size_t out_left = sizeof buffer;
        if (iconv(encoder_, &in_at, &in_left, &out_at, &out_left) == static_cast<std::size_t>(-1)) {
            return false;
        }
        // A stateful encoding's return to its initial shift state.
        if (iconv(encoder_, nullptr, nullptr, &out_at, &out_left) == static_cast<std::size_t>(-1)) {
            return false;
        }
        out.append(buffer, sizeof buffer - out_left);
        return true;
    }

private:
    std::string name_;
    iconv_t decoder_;
    iconv_t encoder_;
};

}  // namespace

std::unique_ptr<CodePage> LocaleCodePage() {
    const char* codeset = nl_langinfo(CODESET);
    if (codeset == nullptr || *codeset == '\0' || IsUtf8Name(codeset)) {
        return nullptr;
    }
    // "ANSI_X3.4-1968" is the C locale: treat it as UTF-8, as GTK does.
    if (std::strcmp(codeset, "ANSI_X3.4-1968") == 0) {
        return nullptr;
    }
    const char* wide = "UTF-32LE";
    if constexpr (std::endian::native == std::endian::big) {
        wide = "UTF-32BE";
    }
    iconv_t decoder = iconv_open(wide, codeset);
    if (decoder == reinterpret_cast<iconv_t>(-1)) {
        return nullptr;
    }
    iconv_t encoder = iconv_open(codeset, wide);
    if (encoder == reinterpret_cast<iconv_t>(-1)) {
        iconv_close(decoder);
        return nullptr;
    }
    return std::make_unique<IconvCodePage>(codeset, decoder, encoder);
}

}  // namespace landuo::ui::gtk
