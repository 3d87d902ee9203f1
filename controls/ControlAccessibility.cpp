#include "controls/ControlAccessibility.h"

#include <QAccessibleWidget>

#include "controls/ClockCtrl.h"
#include "controls/RssiCtrl.h"

namespace {

// The clock's value is its text: read on demand, so the ticking announces nothing.
class CClockAccessible final : public QAccessibleWidget {
public:
    explicit CClockAccessible(CClockCtrl* clock) : QAccessibleWidget(clock, QAccessible::Clock) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return static_cast<const CClockCtrl*>(widget())->Text().trimmed();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* ControlAccessible(const QString&, QObject* object)
{
    if (auto* clock = qobject_cast<CClockCtrl*>(object))
        return new CClockAccessible(clock);
    if (auto* bars = qobject_cast<CRssiCtrl*>(object))
        return new QAccessibleWidget(bars, QAccessible::Chart);
    return nullptr;
}

} // namespace

void InstallControlAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(ControlAccessible);
        return true;
    }();
    (void)installed;
}
