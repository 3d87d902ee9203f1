#pragma once

#include <QIcon>

// The icon with that resource number (IDR_MAINFRAME: the application's
// icon), or a null icon.
QIcon LoadResourceIcon(int id);
