#include "base/display_text.h"

#include <cstdint>

namespace quillon {

namespace {

void appendEscaped(std::string& out, unsigned char byte)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

// The length of the well-formed UTF-8 sequence at the start of `s` and its code point, or
// 0 when the first byte does not begin one (stray continuation, overlong form, surrogate,
// beyond U+10FFFF, cut short).
size_t decode(std::string_view s, uint32_t& codePoint)
{
    const auto b0 = static_cast<unsigned char>(s[0]);
    size_t length = 0;
    uint32_t minimum = 0;
    if (b0 < 0x80) {
        codePoint = b0;
        return 1;
    }
    if ((b0 & 0xE0) == 0xC0) {
        length = 2;
        minimum = 0x80;
        codePoint = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3;
        minimum = 0x800;
        codePoint = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4;
        minimum = 0x10000;
        codePoint = b0 & 0x07;
    } else {
        return 0;
    }
    if (s.size() < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (b & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::string displayText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        uint32_t codePoint = 0;
        const size_t length = decode(text, codePoint);
        if (length == 0) {
            appendEscaped(out, static_cast<unsigned char>(text[0]));
            text.remove_prefix(1);
            continue;
        }
        const bool control = codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0);
        if (control) {
            // C1 controls are two bytes in UTF-8; both are shown, as the file holds them.
            for (size_t i = 0; i < length; ++i)
                appendEscaped(out, static_cast<unsigned char>(text[i]));
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return out;
}

} // namespace quillon
