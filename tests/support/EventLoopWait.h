#pragma once

#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QTimer>

// For a condition the event loop brings about: runs it, sleeping between
// events, and looks at the condition after each event and every few
// milliseconds.
template <class Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds watchdog = kWatchdog)
{
    QTimer look;
    look.start(5);
    return PollUntil(condition, [] { QApplication::processEvents(QEventLoop::WaitForMoreEvents); }, watchdog);
}
