#pragma once
// Lays out a jewel-case cover on paper: the front insert (120 x 120 mm) with the disc's
// title and artist, and the back inlay (151 x 118 mm) with its two spines (6.5 mm) and
// the track list. Each goes on a page of its own, with crop outlines.
#include "cover_document.h"

class QPagedPaintDevice;

namespace quillon {

class CoverPainter {
public:
    static constexpr double kFrontMm = 120.0;
    static constexpr double kBackWidthMm = 151.0;
    static constexpr double kBackHeightMm = 118.0;
    static constexpr double kSpineMm = 6.5;

    // Paints both pages; false when the device cannot be painted on.
    static bool paint(const CoverDocument& cover, QPagedPaintDevice& device);
    // Writes the two pages to a PDF file.
    static bool writePdf(const CoverDocument& cover, const QString& path);
};

} // namespace quillon
