#include "base/display_text.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon {
namespace {

struct DisplayCase {
    std::string input;
    std::string shown;
};

class DisplayText : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayText, EscapesWhatWouldReachTheTerminalRaw)
{
    EXPECT_EQ(displayText(GetParam().input), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DisplayText,
    ::testing::Values(DisplayCase{"/home/ann/Mix 1.wav", "/home/ann/Mix 1.wav"},
                      DisplayCase{"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5", "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5"},
                      DisplayCase{"a\x1b[2Jb", "a\\x1b[2Jb"},                 // escape sequence
                      DisplayCase{"line\nnext\tx\r", "line\\x0anext\\x09x\\x0d"}, // C0 controls
                      DisplayCase{"del\x7f", "del\\x7f"},
                      DisplayCase{"c1\xC2\x9B", "c1\\xc2\\x9b"},              // C1 CSI in UTF-8
                      DisplayCase{"\xC2\xA0nbsp", "\xC2\xA0nbsp"},            // first non-control after C1
                      DisplayCase{"cp1252 \xE9t\xE9", "cp1252 \\xe9t\\xe9"},  // Latin-1 bytes
                      DisplayCase{"\x80stray", "\\x80stray"},                 // lone continuation
                      DisplayCase{"over\xC0\xAF", "over\\xc0\\xaf"},          // overlong '/'
                      DisplayCase{"sur\xED\xA0\x80", "sur\\xed\\xa0\\x80"},   // UTF-16 surrogate
                      DisplayCase{"big\xF4\x90\x80\x80", "big\\xf4\\x90\\x80\\x80"}, // past U+10FFFF
                      DisplayCase{"cut\xE2\x82", "cut\\xe2\\x82"},            // sequence cut short
                      DisplayCase{std::string("nul\0x", 5), "nul\\x00x"}, DisplayCase{"", ""}),
    [](const ::testing::TestParamInfo<DisplayCase>& info) { return "Row" + std::to_string(info.index); });

} // namespace
} // namespace quillon
