#pragma once

class QPainter;

namespace ui {

// Whether a picture drawn once and blended in by this painter gives the same
// pixels as drawing it there: only on whole pixels, with nothing else blended
// on the way.
bool CopyLandsAsDrawn(const QPainter& painter);

} // namespace ui
