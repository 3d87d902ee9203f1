#pragma once

// Lets the template builder make our controls for the window classes the
// form's template names: "MFCClockCtrl" (CClockCtrl), "MFCRssiCtrl"
// (CRssiCtrl) and the owner-drawn button (CColorButton, with the template's
// caption and style bits). Call once before building a template that uses them.
void RegisterControlClasses();
