#pragma once

#include <QColor>
#include <QDateTime>
#include <QString>
#include <QWidget>

#include <functional>
#include <limits>

class QTimer;

// Shows the local date and time as one line, from a timer of its own that
// ticks every 900 ms; the picture changes only when the second does. The
// weekday and month names follow the widget's locale (setLocale pins it).
class CClockCtrl : public QWidget {
    Q_OBJECT

public:
    static constexpr unsigned kTimerId = 6;
    static constexpr int kTimerPeriodMs = 900;
    using TimeSource = std::function<QDateTime()>;

    explicit CClockCtrl(QWidget* parent = nullptr);

    // Where the clock reads the time; the local clock by default.
    void SetTimeSource(TimeSource source);

    // kTimerId while the clock's timer runs, 0 otherwise.
    unsigned TimerId() const;
    const QString& Text() const { return m_strTime; }

    // The tick: remakes the text and repaints when the second has changed.
    void OnTimer();

    // Behind the text and of the text; the owner may change them at any time,
    // they apply from the next paint. Until it is set, the colour behind the
    // text is the face's: the window colour the form paints.
    QColor m_crBack;
    QColor m_crText;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer* m_timer = nullptr;
    TimeSource m_timeSource;
    QString m_strTime;
    qint64 m_tShown = std::numeric_limits<qint64>::min();
};
