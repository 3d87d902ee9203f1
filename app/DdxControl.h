#pragma once

#include "platform/DataExchange.h"

#include <QWidget>

// Attaches a control object to the form's control with a dialog ID, once:
// later exchanges keep the attached object.
template <class Control>
void DDX_Control(CDataExchange* pDX, int id, Control*& control)
{
    if (!control)
        control = qobject_cast<Control*>(pDX->PrepareCtrl(id));
}
