#pragma once

#include "controls/RssiGeometry.h"

#include <QColor>
#include <QImage>
#include <QPen>
#include <QWidget>

#include <array>

// The result of the channel scan: one column per radio channel 11 to 26 with a
// bar for the channel's last level, a red line through the peak levels, a green
// line through the average levels, olive column separators, a dotted yellow
// line at level 96 and the channel numbers at the foot. Levels run from 0 to
// 255, where 255 reaches the top.
//
// Every picture is drawn whole into an off-screen image and copied in one go,
// so the graph never flickers.
class CRssiCtrl : public QWidget {
    Q_OBJECT

public:
    using ChannelValues = std::array<int, rssi_geometry::kChannels>;

    explicit CRssiCtrl(QWidget* parent = nullptr);

    // Records one level report. A channel outside 11-26 or a negative level is
    // ignored, without a repaint.
    void SetLevel(int nChannel, int nLevel);
    // Starts new statistics (peaks, sums, sample counts); the bars stay.
    void ResetStats();
    // Empties the bars; the statistics stay.
    void ClearLevels();
    // Repaints without erasing first.
    void Redraw();
    // Each measured channel's last level, peak and average in words (its
    // accessible description).
    QString Description() const;

    const ChannelValues& Samples() const { return m_nSamples; }
    const ChannelValues& Levels() const { return m_nLevel; }
    const ChannelValues& Peaks() const { return m_nPeak; }
    const ChannelValues& Sums() const { return m_nSum; }

    // Draws the whole picture into `image`, whose size is taken as the client
    // area. Used by the paint and by anything that wants the picture.
    void Render(QImage& image) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ChannelValues m_nSamples{};
    ChannelValues m_nLevel{};
    ChannelValues m_nPeak{};
    ChannelValues m_nSum{};
    QImage m_bmpBack;
    QColor m_crBar{0, 255, 255};
    QColor m_crPeak{255, 0, 0};
    QColor m_crAverage{0, 255, 0};
    QPen m_penPeak;
    QPen m_penAverage;
    QPen m_penGrid;
    QPen m_penThreshold;
};
