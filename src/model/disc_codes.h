#pragma once
// The codes a disc carries beside its audio: an ISRC per CD track (12 characters,
// CCXXXYYNNNNN: a two-letter country, a three-character owner of letters and digits,
// two digits of year, five digits of designation) and the disc's catalogue number
// (13 digits). People copy ISRCs with hyphens and in lower case ("us-s1z-99-00001");
// both are accepted and stored in the plain 12-character form.

#include <string>
#include <string_view>

namespace quillon {

class DiscCodes {
public:
    static constexpr const char* kIsrcRule =
        "An ISRC has 12 characters: 2 letters (country), 3 letters or digits (owner), 2 digits (year) and "
        "5 digits, as in USS1Z9900001.";
    static constexpr const char* kCatalogRule = "A catalogue number has exactly 13 digits.";

    // The plain form of an ISRC (hyphens and spaces dropped, letters in upper case), or
    // empty when it is none. An empty text stays empty and means "no ISRC".
    static std::string normaliseIsrc(std::string_view text);
    static bool isIsrc(std::string_view text);
    // 13 digits, spaces and hyphens dropped; empty when it is none.
    static std::string normaliseCatalogNumber(std::string_view text);
    static bool isCatalogNumber(std::string_view text);
};

} // namespace quillon
