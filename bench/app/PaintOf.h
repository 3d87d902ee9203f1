#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>
#include <chrono>

#include "platform/WindowText.h"

// The moment a control is first painted with a text.
class PaintOf : public QObject {
public:
    PaintOf(QWidget& control, QString text) : m_control(control), m_text(std::move(text))
    {
        control.installEventFilter(this);
    }
    bool Seen() const { return m_seen; }
    std::chrono::steady_clock::time_point When() const { return m_when; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (!m_seen && event->type() == QEvent::Paint && GetWindowText(m_control) == m_text) {
            m_seen = true;
            m_when = std::chrono::steady_clock::now();
        }
        return false;
    }

private:
    QWidget& m_control;
    QString m_text;
    bool m_seen = false;
    std::chrono::steady_clock::time_point m_when;
};
