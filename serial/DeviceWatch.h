#pragma once

#include <string>

// Watches a device path for a device to appear there, without opening it.
// The watch is an inotify watch on the deepest folder of the path that
// exists, moved down as folders appear (/dev/serial/by-id/ exists only
// while some USB serial device is plugged in), and told of entries created,
// moved in or changed (udev gives a new node its group a moment after
// creating it). Where inotify cannot be had, Fd() is -1 and the owner
// looks once a second with TakeChanges. On Windows there is no such watch:
// Fd() is -1 and a COM port is present while its DOS device name is defined.
class CDeviceWatch {
public:
    explicit CDeviceWatch(std::string path);
    ~CDeviceWatch();
    CDeviceWatch(const CDeviceWatch&) = delete;
    CDeviceWatch& operator=(const CDeviceWatch&) = delete;

    const std::string& Path() const { return m_path; }
    // Readable when the watched folder changed; -1 without inotify.
    int Fd() const { return m_inotify; }

    // Takes what the watch reported, follows folders that appeared, and
    // tells whether the path now leads to something (a link that dangles
    // does not).
    bool TakeChanges();

    // Whether something is at the path, following links.
    static bool Present(const std::string& path);

private:
    // Points the watch at the deepest existing folder of the path.
    void WatchDeepestFolder();

    std::string m_path;
    std::string m_watchedFolder;
    int m_inotify = -1;
    int m_watch = -1;
};
