#include "gui/PaintPacer.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QWidget>

namespace zelvaro {

namespace {
constexpr qint64 FrameMs = 15;

QElapsedTimer& clock()
{
    static QElapsedTimer c = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return c;
}
} // namespace

void paintNow(QWidget* widget)
{
    static QHash<const QWidget*, qint64> lastPaint;
    const qint64 now = clock().elapsed();
    auto it = lastPaint.find(widget);
    if (it != lastPaint.end() && now - *it < FrameMs) {
        widget->update();
        return;
    }
    widget->repaint();
    lastPaint.insert(widget, now);
    if (lastPaint.size() > 256) lastPaint.clear(); // widgets come and go with status windows
}

} // namespace zelvaro
