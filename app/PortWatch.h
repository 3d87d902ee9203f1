#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

#include "serial/DeviceWatch.h"

class QSocketNotifier;

// Tells the form, on its own thread, once a device has appeared at a path:
// woken by the device watch's inotify descriptor through the event loop, or
// looking once a second where the watch has none. It calls back once and
// then rests; the owner replaces it to watch again.
class CPortWatch : public QObject {
public:
    CPortWatch(const std::string& path, std::function<void()> appeared);
    ~CPortWatch() override;

    bool UsesInotify() const { return m_notifier != nullptr; }

private:
    void Look();

    CDeviceWatch m_watch;
    std::function<void()> m_appeared;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_everySecond;
};
