#include "controls/ClockCtrl.h"

#include "controls/ClockText.h"
#include "controls/SysColors.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

// "Arial" (or the sans-serif font standing in for it) whose character cell,
// ascent plus descent, is at most `cellHeight` pixels.
QFont FontWithCellHeight(int cellHeight)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    const int target = std::max(1, cellHeight);
    font.setPixelSize(target);
    const int cell = QFontMetrics(font).height();
    if (cell > target)
        font.setPixelSize(std::max(1, target * target / cell));
    return font;
}

} // namespace

CClockCtrl::CClockCtrl(QWidget* parent)
    : QWidget(parent)
    , m_crText(GetSysColor(COLOR_BTNTEXT))
    , m_timer(new QTimer(this))
    , m_timeSource([] { return QDateTime::currentDateTime(); })
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Clock"));
    m_timer->setInterval(kTimerPeriodMs);
    connect(m_timer, &QTimer::timeout, this, &CClockCtrl::OnTimer);
    m_timer->start();
}

void CClockCtrl::SetTimeSource(TimeSource source)
{
    m_timeSource = std::move(source);
}

unsigned CClockCtrl::TimerId() const
{
    return m_timer->isActive() ? kTimerId : 0;
}

void CClockCtrl::OnTimer()
{
    const QDateTime now = m_timeSource();
    const qint64 second = now.toSecsSinceEpoch();
    if (second == m_tShown)
        return;
    m_tShown = second;
    m_strTime = FormatClockText(now, locale());
    update();
}

void CClockCtrl::paintEvent(QPaintEvent*)
{
    // The face is the colour the form paints around it, so no box shows
    // where the theme's button colour differs from its window colour.
    const QColor face = palette().color(QPalette::Window);
    QPainter painter(this);
    painter.fillRect(rect(), face);
    const QFont font = FontWithCellHeight(ClockFontHeight(height()));
    painter.setFont(font);
    painter.setPen(m_crText);
    // Each character cell is filled behind the text.
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(m_crBack.isValid() ? m_crBack : face);
    const QRect textBand(0, 0, width(), QFontMetrics(font).height());
    painter.drawText(textBand, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine, m_strTime);
}
