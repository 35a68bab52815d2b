#include "latin1_text.h"

#include <cstdint>

namespace varda {

std::string toLatin1(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<uint8_t>(utf8[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        uint32_t code = length == 4 ? (c & 0x07u) : length == 3 ? (c & 0x0Fu) : (c & 0x1Fu);
        bool valid = length > 1 && i + length <= utf8.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto cc = static_cast<uint8_t>(utf8[i + k]);
            valid = (cc & 0xC0u) == 0x80u;
            code = (code << 6) | (cc & 0x3Fu);
        }
        out.push_back(valid && code >= 0xA0 && code <= 0xFF ? static_cast<char>(code) : '?');
        i += valid ? length : 1;
    }
    return out;
}

} // namespace varda
