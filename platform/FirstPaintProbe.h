#pragma once

// For start-up measurements: when the environment variable
// BRENVIK_FIRST_PAINT_REPORT is set, the first widget paint of the process
// prints "first-paint-ns <CLOCK_REALTIME in ns>" and "peak-rss-kb <VmHWM>"
// to standard error once the paint has finished, and ends the event loop;
// with the value "stay" it only prints, so a test knows the program is up.
// Otherwise it does nothing. Call before the event loop starts.
void WatchForFirstPaint();
