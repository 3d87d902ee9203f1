#include "controls/RssiGeometry.h"

#include <cstdint>

namespace rssi_geometry {

namespace {

// a * b / c in 64 bits, truncating toward zero like the 32-bit division.
int MulDivTruncate(std::int64_t a, std::int64_t b, std::int64_t c)
{
    return static_cast<int>(a * b / c);
}

} // namespace

int ColumnEdge(int width, int column, int columns)
{
    return MulDivTruncate(width, column, columns);
}

int ColumnMiddle(int width, int column, int columns)
{
    const int left = ColumnEdge(width, column, columns);
    return left + (ColumnEdge(width, column + 1, columns) - left) / 2;
}

int LevelY(int height, int level)
{
    return height - MulDivTruncate(level, height, kFullScale);
}

int AverageY(int height, int sum, int samples)
{
    if (samples <= 0)
        return height;
    return height - MulDivTruncate(sum, height, std::int64_t{samples} * kFullScale);
}

int LabelPixelSize(int dpi)
{
    return (7 * dpi + 36) / 72;
}

} // namespace rssi_geometry
