#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// The clock's line: " Sun 6 Dec 2026  2:05:09 PM ", one blank at each end and
// two between the year and the hour. The day of the month and the hour on the
// 12-hour clock have no leading zero; minutes and seconds have two figures.
// Weekday, month and the AM/PM indicator are the abbreviated forms of `locale`.
QString FormatClockText(const QDateTime& time, const QLocale& locale);

// The height of the clock's font for a client area `clientHeight` pixels high.
int ClockFontHeight(int clientHeight);
