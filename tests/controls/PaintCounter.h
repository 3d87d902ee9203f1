#pragma once

#include <QObject>

class QWidget;

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& widget);
    int Count() const { return m_count; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_count = 0;
};

// Shows `widget` on its own and waits until it has been painted once.
void ShowAndSettle(QWidget& widget);
