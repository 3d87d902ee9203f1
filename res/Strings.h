#pragma once

#include <QString>

// The string with that resource number (AFX_IDS_APP_TITLE, IDS_VERSION,
// IDR_MAINFRAME's document string), or empty text.
QString LoadResourceString(int id);
