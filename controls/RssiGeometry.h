#pragma once

// Where the parts of the signal-bar graph go in a client area W wide and H
// high, with one column per channel. Every product is formed before its
// truncating division.
namespace rssi_geometry {

inline constexpr int kFullScale = 255;
inline constexpr int kThresholdLevel = 96;

// Left edge of column i of `columns`; ColumnEdge(W, i + 1, n) is its right edge.
int ColumnEdge(int width, int column, int columns);
// Middle of column i, where the peak and average points lie.
int ColumnMiddle(int width, int column, int columns);
// The height at which a level lies: H for 0, 0 for full scale.
int LevelY(int height, int level);
// The average point of `samples` reports adding up to `sum`; H without reports.
int AverageY(int height, int sum, int samples);
// Pixel size of the 7-point label font at `dpi` dots per inch, rounded.
int LabelPixelSize(int dpi);

} // namespace rssi_geometry
