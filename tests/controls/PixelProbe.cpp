#include "PixelProbe.h"

QRect BoundingBox(const QImage& image, const std::function<bool(QColor)>& match, QRect area)
{
    if (area.isNull())
        area = image.rect();
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (match(image.pixelColor(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

QRect BoundingBoxOf(const QImage& image, QColor color, QRect area)
{
    return BoundingBox(image, [color](QColor c) { return c.rgb() == color.rgb(); }, area);
}
