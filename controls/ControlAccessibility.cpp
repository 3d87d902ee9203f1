#include "controls/ControlAccessibility.h"

#include <QAccessibleWidget>

#include "controls/ClockCtrl.h"
#include "controls/RssiCtrl.h"

namespace {

// A text named "Clock" described by the time it shows, read when asked: the
// ticking announces nothing. (AT-SPI knows no clock role, so it is a label.)
class CClockAccessible final : public QAccessibleWidget {
public:
    explicit CClockAccessible(CClockCtrl* clock) : QAccessibleWidget(clock, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description)
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
