#include "app/ShutdownSignals.h"

// A window program on Windows is sent no SIGTERM or SIGINT: a request to end
// it (taskkill, the end of the session) reaches its window as WM_CLOSE, or
// the application as commitDataRequest, which close the window the normal way.
CShutdownSignals::CShutdownSignals(QObject* parent) : QObject(parent) {}

CShutdownSignals::~CShutdownSignals() = default;
