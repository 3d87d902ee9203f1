#pragma once

#include <QString>
#include <functional>
#include <string_view>

#include "platform/DialogTemplate.h"

class QWidget;

// Window-class name -> factory of the widget that stands for it. Custom
// controls register here ("MFCClockCtrl", "MFCRssiCtrl", the owner-drawn
// button) so the dialog builder can make them without knowing them. Names
// compare without regard to case, as window-class names do. UI thread only.
using ControlFactory = std::function<QWidget*(const DialogItemTemplate& item, QWidget* parent)>;

// The class an owner-drawn BUTTON of a template is looked up under.
constexpr std::string_view kOwnerDrawButtonClass = "Button.OwnerDraw";

class CControlClassRegistry {
public:
    // Registers (or replaces) the factory for a class name.
    static void Register(std::string_view className, ControlFactory factory);
    static void Unregister(std::string_view className);
    static bool IsRegistered(std::string_view className);
    // The factory for a class name, or null.
    static const ControlFactory* Find(std::string_view className);
};
