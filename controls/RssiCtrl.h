#pragma once

#include "controls/RssiGeometry.h"

#include <QColor>
#include <QImage>
#include <QPen>
#include <QWidget>

#include <vector>

// The result of the channel scan: one column per radio channel (the caller
// says which, 11 to 26 on the form) with a bar for the channel's last level,
// a red line through the peak levels, a green line through the average
// levels, olive column separators, a dotted yellow line at level 96 and the
// channel numbers at the foot. Levels run from 0 to
// 255, where 255 reaches the top.
//
// Every picture is drawn whole into an off-screen image and copied in one go,
// so the graph never flickers.
class CRssiCtrl : public QWidget {
    Q_OBJECT

public:
    using ChannelValues = std::vector<int>;

    // Without channels until SetChannels (as a dialog template makes it).
    explicit CRssiCtrl(QWidget* parent = nullptr);
    CRssiCtrl(int firstChannel, int channelCount, QWidget* parent = nullptr);

    // The channels shown, `count` of them from `first`; every figure starts at 0.
    void SetChannels(int first, int count);
    // Records one level report. A channel not shown or a negative level is
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
    int ChannelCount() const { return int(m_nLevel.size()); }

    int m_nFirstChannel = 0;
    ChannelValues m_nSamples;
    ChannelValues m_nLevel;
    ChannelValues m_nPeak;
    ChannelValues m_nSum;
    QImage m_bmpBack;
    QColor m_crBar{0, 255, 255};
    QColor m_crPeak{255, 0, 0};
    QColor m_crAverage{0, 255, 0};
    QPen m_penPeak;
    QPen m_penAverage;
    QPen m_penGrid;
    QPen m_penThreshold;
};
