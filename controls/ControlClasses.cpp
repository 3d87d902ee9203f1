#include "controls/ControlClasses.h"

#include "controls/ClockCtrl.h"
#include "controls/ControlAccessibility.h"
#include "controls/ColorButton.h"
#include "controls/RssiCtrl.h"
#include "platform/ControlClassRegistry.h"

void RegisterControlClasses()
{
    InstallControlAccessibility();
    CControlClassRegistry::Register("MFCClockCtrl", [](const DialogItemTemplate&, QWidget* parent) {
        return new CClockCtrl(parent);
    });
    CControlClassRegistry::Register("MFCRssiCtrl", [](const DialogItemTemplate&, QWidget* parent) {
        return new CRssiCtrl(parent);
    });
    CControlClassRegistry::Register(kOwnerDrawButtonClass, [](const DialogItemTemplate& item, QWidget* parent) {
        auto* button = new CColorButton(parent);
        button->setText(QString::fromUtf8(item.text.data(), static_cast<qsizetype>(item.text.size())));
        button->SetWindowStyle(item.style);
        return button;
    });
}
