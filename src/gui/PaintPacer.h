#pragma once

class QWidget;

namespace zelvaro {

// Paints a widget at once, as long operations on the UI thread must, but
// not more often than a screen can show: a widget painted less than a frame
// ago is only marked for painting, and the next change (or the message loop
// at the end of the operation) paints it. Thousands of status texts a second
// otherwise cost more than the work they report.
void paintNow(QWidget* widget);

} // namespace zelvaro
