#pragma once

#include <QString>

#include "platform/WindowsApi.h"

class QWidget;

// The control with a dialog ID inside a form or dialog, or null.
QWidget* GetDlgItem(const QWidget& parent, int id);

// The text a control shows, whatever widget stands for it: line edits,
// labels, buttons, group boxes, combo boxes, and any widget with a "text"
// property (custom controls).
QString GetWindowText(const QWidget& control);
void SetWindowText(QWidget& control, const QString& text);
