#pragma once

class QWidget;

namespace ui {

// Gives every line edit under root a style that draws an edit's frame and
// background once for each look and then copies the picture. A field whose
// value changes on every answer repaints whole, and the style's rounded,
// antialiased frame costs several times the text inside it. The copy is
// taken only where it lands on whole pixels as the direct drawing does, and
// there it is the same picture; elsewhere the frame is drawn as before.
void CopyEditFrames(QWidget* root);

} // namespace ui
