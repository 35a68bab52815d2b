#pragma once
// The small pictures of the timeline's top strip, drawn in code rather than shipped as
// bitmaps: the label kinds, the pause handle and the ends of the marked section.

class QPainter;

namespace quillon {

enum class LabelGlyph { TrackSplit, Index, FreeLabel, Pause, MarkStart, MarkEnd };

// Draws the glyph with its top left corner at (x, y); each is at most 12 x 12 pixels.
void drawLabelGlyph(QPainter& painter, LabelGlyph glyph, int x, int y);

} // namespace quillon
