#include "PaintCounter.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

PaintCounter::PaintCounter(QWidget& widget)
    : QObject(&widget)
{
    widget.installEventFilter(this);
}

bool PaintCounter::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::Paint)
        ++m_count;
    return false;
}

void ShowAndSettle(QWidget& widget)
{
    widget.show();
    // Offscreen windows are exposed at once; the first paint is posted.
    QApplication::processEvents();
}
