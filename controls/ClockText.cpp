#include "controls/ClockText.h"

QString FormatClockText(const QDateTime& time, const QLocale& locale)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    const int hour12 = clock.hour() % 12 == 0 ? 12 : clock.hour() % 12;
    const auto twoFigures = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return QStringLiteral(" %1 %2 %3 %4  %5:%6:%7 %8 ")
        .arg(locale.dayName(date.dayOfWeek(), QLocale::ShortFormat), QString::number(date.day()),
             locale.monthName(date.month(), QLocale::ShortFormat), QString::number(date.year()),
             QString::number(hour12), twoFigures(clock.minute()), twoFigures(clock.second()),
             clock.hour() < 12 ? locale.amText() : locale.pmText());
}

int ClockFontHeight(int clientHeight)
{
    return clientHeight * 90 / 100;
}
