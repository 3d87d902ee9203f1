#include "app/WindowPlacement.h"

#include "settings/ScanInt.h"

namespace {

constexpr int kFieldCount = 10;

} // namespace

QString FormatPlacement(const WindowPlacement& p)
{
    return QStringLiteral("%1:%2:%3:%4:%5:%6:%7:%8:%9:%10")
        .arg(p.flags)
        .arg(p.showCmd)
        .arg(p.minX)
        .arg(p.minY)
        .arg(p.maxX)
        .arg(p.maxY)
        .arg(p.left)
        .arg(p.top)
        .arg(p.right)
        .arg(p.bottom);
}

bool ParsePlacement(const QString& text, WindowPlacement& p)
{
    const QByteArray bytes = text.toUtf8();
    int fields[kFieldCount] = {};
    const int converted = ScanInts(std::string_view(bytes.constData(), bytes.size()), ':', fields, kFieldCount);
    int* ordered[kFieldCount] = {&p.flags, &p.showCmd, &p.minX, &p.minY, &p.maxX, &p.maxY, &p.left, &p.top, &p.right, &p.bottom};
    for (int i = 0; i < converted; ++i)
        *ordered[i] = fields[i];
    return converted == kFieldCount;
}

bool IsMinimizedShow(int showCmd)
{
    return showCmd == SW_SHOWMINIMIZED || showCmd == SW_MINIMIZE || showCmd == SW_SHOWMINNOACTIVE
        || showCmd == SW_FORCEMINIMIZE;
}
