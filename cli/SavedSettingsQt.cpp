#include "cli/SavedSettings.h"

#include <QSettings>

#include <algorithm>
#include <climits>
#include <cstdlib>

// The program's settings store, read with QtCore alone (the program's own
// profile layer brings in widgets, which a command-line tool does not need).
namespace cli {
namespace {

QString Read(const char* group, const QString& entry)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Olvarn", "Brenvik");
    settings.beginGroup(group);
    return settings.value(entry).toString().trimmed();
}

} // namespace

int SavedComPort()
{
    const QByteArray text = Read("Settings/Ints", "m_ActiveComPort").toLatin1();
    char* end = nullptr;
    const long number = std::strtol(text.constData(), &end, 0); // as "%i" reads it
    if (end == text.constData())
        return 1;
    return static_cast<int>(std::clamp<long>(number, INT_MIN, INT_MAX));
}

PortLookup SavedPortLookup()
{
    return [](int comNumber) -> std::optional<std::string> {
        const QString path = Read("Ports", QStringLiteral("COM%1").arg(comNumber));
        if (path.isEmpty())
            return std::nullopt;
        return path.toStdString();
    };
}

} // namespace cli
