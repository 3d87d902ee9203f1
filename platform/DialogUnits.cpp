#include "platform/DialogUnits.h"

#include <QFont>
#include <QFontMetrics>
#include <cstdint>

#ifndef _WIN32
int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const std::int64_t product = std::int64_t(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t absProduct = product < 0 ? -product : product;
    const std::int64_t absDenominator = denominator < 0 ? -std::int64_t(denominator) : denominator;
    const std::int64_t quotient = (absProduct + absDenominator / 2) / absDenominator;
    return static_cast<int>(negative ? -quotient : quotient);
}
#endif

DialogBaseUnits MeasureDialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int alphabetWidth
        = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(alphabetWidth / 26 + 1) / 2, metrics.height()};
}

QRect MapDialogRect(const QRect& units, DialogBaseUnits base)
{
    return QRect(QPoint(MulDiv(units.x(), base.cx, 4), MulDiv(units.y(), base.cy, 8)),
                 MapDialogSize(units.size(), base));
}

QSize MapDialogSize(const QSize& units, DialogBaseUnits base)
{
    return QSize(MulDiv(units.width(), base.cx, 4), MulDiv(units.height(), base.cy, 8));
}
