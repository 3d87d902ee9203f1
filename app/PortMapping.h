#pragma once

class QString;

// Points the COM number the user last chose (m_ActiveComPort, 1 when none is
// stored) at a device path in the user's "Ports" section, so the program
// opens that device; returns the COM number, or 0 when the store could not
// be written.
int MapCurrentPort(const QString& device);
