#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <functional>

// The smallest rectangle of `image` within `area` holding every pixel for which
// `match` is true; a null rectangle when there is none.
QRect BoundingBox(const QImage& image, const std::function<bool(QColor)>& match, QRect area = {});

// Bounding box of the pixels of exactly `color`.
QRect BoundingBoxOf(const QImage& image, QColor color, QRect area = {});
