#pragma once
// The Options > Grid menu: grid divisions per four beats. A triplet value is three
// quarters of the plain value of the same name.

#include <QtGlobal>

#include <array>
#include <cstdint>

namespace quillon {

struct GridDivisionItem {
    const char* text;
    int32_t value;
};

inline constexpr std::array<GridDivisionItem, 11> kGridDivisions = {{
    {QT_TRANSLATE_NOOP("CMainFrame", "None"), 0},
    {QT_TRANSLATE_NOOP("CMainFrame", "Quarter Notes"), 4},
    {QT_TRANSLATE_NOOP("CMainFrame", "Quarter Note Triplets"), 3},
    {QT_TRANSLATE_NOOP("CMainFrame", "8th Notes"), 8},
    {QT_TRANSLATE_NOOP("CMainFrame", "8th Note Triplets"), 6},
    {QT_TRANSLATE_NOOP("CMainFrame", "16th Notes"), 16},
    {QT_TRANSLATE_NOOP("CMainFrame", "16th Note Triplets"), 12},
    {QT_TRANSLATE_NOOP("CMainFrame", "32nd Notes"), 32},
    {QT_TRANSLATE_NOOP("CMainFrame", "32nd Note Triplets"), 24},
    {QT_TRANSLATE_NOOP("CMainFrame", "64th Notes"), 64},
    {QT_TRANSLATE_NOOP("CMainFrame", "64th Note Triplets"), 48},
}};

} // namespace quillon
