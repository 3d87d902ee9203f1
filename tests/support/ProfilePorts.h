#pragma once

#include "bus/BusLimits.h"
#include "settings/Profile.h"
#include "tests/support/SafePorts.h"

#include <QSettings>

// The window resolves its ports through the user's "Ports" section: there,
// for the life of the object, every COM number leads where a TestPortMap
// sends it (a missing path unless the test maps it).
class ProfilePorts {
public:
    ProfilePorts()
    {
        // In one write: each profile write replaces the file and syncs it.
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Olvarn", "Brenvik");
        for (int n = bus::kFirstComPort; n <= bus::kLastComPort; ++n)
            settings.setValue(QStringLiteral("Ports/COM%1").arg(n), QString::fromStdString(*TestPortMap().PathOf(n)));
    }
    ~ProfilePorts()
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Olvarn", "Brenvik");
        settings.remove("Ports");
    }
    ProfilePorts(const ProfilePorts&) = delete;
    ProfilePorts& operator=(const ProfilePorts&) = delete;

    static void Map(int number, const std::string& path)
    {
        WriteProfileString("Ports", QStringLiteral("COM%1").arg(number), QString::fromStdString(path));
    }
};
