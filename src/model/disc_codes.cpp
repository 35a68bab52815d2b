#include "model/disc_codes.h"

namespace quillon {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }

std::string withoutSeparators(std::string_view text, bool upper)
{
    std::string plain;
    for (char c : text) {
        if (c == '-' || c == ' ')
            continue;
        plain.push_back(upper && c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c);
    }
    return plain;
}

} // namespace

bool DiscCodes::isIsrc(std::string_view t)
{
    if (t.size() != 12)
        return false;
    for (size_t i = 0; i < 12; ++i) {
        const char c = t[i];
        const bool ok = i < 2 ? isUpper(c) : i < 5 ? isUpper(c) || isDigit(c) : isDigit(c);
        if (!ok)
            return false;
    }
    return true;
}

std::string DiscCodes::normaliseIsrc(std::string_view text)
{
    std::string plain = withoutSeparators(text, true);
    return isIsrc(plain) ? plain : std::string();
}

bool DiscCodes::isCatalogNumber(std::string_view t)
{
    if (t.size() != 13)
        return false;
    for (char c : t)
        if (!isDigit(c))
            return false;
    return true;
}

std::string DiscCodes::normaliseCatalogNumber(std::string_view text)
{
    std::string plain = withoutSeparators(text, false);
    return isCatalogNumber(plain) ? plain : std::string();
}

} // namespace quillon
