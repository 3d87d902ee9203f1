#include "res/ResourceIcons.h"

#include "res/Resource.h"

QIcon LoadResourceIcon(int id)
{
    if (id == IDR_MAINFRAME)
        return QIcon(QStringLiteral(":/brenvik/brenvik.png"));
    return QIcon();
}
