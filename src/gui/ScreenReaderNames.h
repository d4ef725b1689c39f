#pragma once

class QWidget;

namespace zelvaro {

// Gives every button and check box under `root` without an accessible
// name its caption (or, without one, its hint), and every control a label
// names as its buddy that label's text, so that a screen reader reads the
// window and tools find a control without screen coordinates.
void nameForScreenReaders(QWidget* root);

} // namespace zelvaro
