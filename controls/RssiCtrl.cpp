#include "controls/RssiCtrl.h"

#include "controls/SysColors.h"

#include <QApplication>
#include <algorithm>
#include <QPainter>
#include <QPolygon>
#include <QStringList>

using namespace rssi_geometry;

CRssiCtrl::CRssiCtrl(QWidget* parent)
    : QWidget(parent)
    , m_penPeak(m_crPeak, 2)
    , m_penAverage(m_crAverage, 2)
    , m_penGrid(QColor(128, 128, 0), 0)
    , m_penThreshold(QColor(255, 255, 0), 0)
{
    // Dots of three pixels with gaps of three, one pixel wide.
    m_penThreshold.setDashPattern({3, 3});
    // The paint covers every pixel itself: nothing is erased before it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Signal levels"));
    setAccessibleDescription(Description());
}

CRssiCtrl::CRssiCtrl(int firstChannel, int channelCount, QWidget* parent) : CRssiCtrl(parent)
{
    SetChannels(firstChannel, channelCount);
}

void CRssiCtrl::SetChannels(int first, int count)
{
    m_nFirstChannel = first;
    for (ChannelValues* values : {&m_nSamples, &m_nLevel, &m_nPeak, &m_nSum})
        values->assign(static_cast<std::size_t>(std::max(count, 0)), 0);
    Redraw();
}

void CRssiCtrl::SetLevel(int nChannel, int nLevel)
{
    if (nChannel < m_nFirstChannel || nChannel >= m_nFirstChannel + ChannelCount() || nLevel < 0)
        return;
    const auto i = static_cast<std::size_t>(nChannel - m_nFirstChannel);
    m_nLevel[i] = nLevel;
    m_nSum[i] += nLevel;
    m_nSamples[i] += 1;
    if (nLevel > m_nPeak[i])
        m_nPeak[i] = nLevel;
    Redraw();
}

void CRssiCtrl::ResetStats()
{
    for (ChannelValues* values : {&m_nSamples, &m_nPeak, &m_nSum})
        std::fill(values->begin(), values->end(), 0);
    Redraw();
}

void CRssiCtrl::ClearLevels()
{
    std::fill(m_nLevel.begin(), m_nLevel.end(), 0);
    Redraw();
}

void CRssiCtrl::Redraw()
{
    update();
    // The same picture in words, for a screen reader.
    setAccessibleDescription(Description());
}

QString CRssiCtrl::Description() const
{
    QStringList channels;
    for (std::size_t i = 0; i < m_nSamples.size(); ++i) {
        if (m_nSamples[i] == 0)
            continue;
        channels << QStringLiteral("channel %1: last %2, peak %3, average %4")
                        .arg(m_nFirstChannel + int(i))
                        .arg(m_nLevel[i])
                        .arg(m_nPeak[i])
                        .arg(double(m_nSum[i]) / m_nSamples[i], 0, 'f', 1);
    }
    return channels.isEmpty() ? QStringLiteral("No channel measured") : channels.join(QStringLiteral("; "));
}

void CRssiCtrl::Render(QImage& image) const
{
    const int w = image.width();
    const int h = image.height();
    const int channels = ChannelCount();
    if (channels == 0) {
        image.fill(Qt::black);
        return;
    }
    QPolygon peakLine(channels + 2);
    QPolygon averageLine(channels + 2);
    peakLine.setPoint(0, 0, h);
    averageLine.setPoint(0, 0, h);
    peakLine.setPoint(channels + 1, w, h);
    averageLine.setPoint(channels + 1, w, h);

    // The picture starts black and the bars go on it; the columns tile the
    // whole width, so each is filled once: black above its bar, the bar below.
    QPainter painter(&image);
    for (int i = 0; i < channels; ++i) {
        const int left = ColumnEdge(w, i, channels);
        const int right = ColumnEdge(w, i + 1, channels);
        const int top = LevelY(h, m_nLevel[i]);
        painter.fillRect(QRect(left, 0, right - left, top), Qt::black);
        painter.fillRect(QRect(left, top, right - left, h - top), m_crBar);
        peakLine.setPoint(i + 1, ColumnMiddle(w, i, channels), LevelY(h, m_nPeak[i]));
        averageLine.setPoint(i + 1, ColumnMiddle(w, i, channels), AverageY(h, m_nSum[i], m_nSamples[i]));
    }

    painter.setPen(m_penPeak);
    painter.drawPolyline(peakLine);
    painter.setPen(m_penAverage);
    painter.drawPolyline(averageLine);

    painter.setPen(m_penGrid);
    for (int i = 0; i < channels; ++i) {
        const int right = ColumnEdge(w, i + 1, channels);
        painter.drawLine(right, 0, right, h);
    }

    // The gaps of the dotted line are filled black.
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::black);
    painter.setPen(m_penThreshold);
    const int y96 = LevelY(h, kThresholdLevel);
    painter.drawLine(0, y96, w, y96);

    QFont labelFont = QApplication::font();
    labelFont.setPixelSize(LabelPixelSize(logicalDpiY()));
    // Smoothed 7-point digits blend into the bars and the black: drawn
    // without smoothing every pixel of them has the full label colour.
    labelFont.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(labelFont);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(GetSysColor(COLOR_BACKGROUND));
    for (int i = 0; i < channels; ++i) {
        const int left = ColumnEdge(w, i, channels);
        const QRect labelRect(left, h - h / 4, ColumnEdge(w, i + 1, channels) - left, h / 4);
        painter.drawText(labelRect, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine,
                         QString::number(i + m_nFirstChannel));
    }
}

void CRssiCtrl::paintEvent(QPaintEvent*)
{
    if (m_bmpBack.size() != size())
        m_bmpBack = QImage(size(), QImage::Format_RGB32);
    Render(m_bmpBack);
    QPainter(this).drawImage(0, 0, m_bmpBack);
}
