#pragma once

#include "platform/DataExchange.h"

#include <QWidget>

// Attaches a control object to the form's control with a dialog ID, once:
// later exchanges keep the attached object. Like every exchange step it does
// nothing once a rule of the exchange has failed.
template <class Control>
void DDX_Control(CDataExchange* pDX, int id, Control*& control)
{
    if (!control && !pDX->Failed())
        control = qobject_cast<Control*>(pDX->PrepareCtrl(id));
}
