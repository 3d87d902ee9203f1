#pragma once

#include "platform/DialogTemplate.h"

// The dialog template with that resource number (IDD_ABOUTBOX,
// IDD_BRENVIK_FORM, IDD_PORT_SELECTION), or null.
const DialogTemplate* FindDialogTemplate(int id);
