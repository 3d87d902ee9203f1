#pragma once

#include <QStringList>

// The recent-file list kept in the settings: section "Recent File List",
// entries "File1" (newest) to "File3".
class CRecentFileList {
public:
    static constexpr int kSize = 3;

    // Puts a path first (moving it up if it is already listed) and drops the
    // oldest beyond kSize. False when the settings could not be written.
    static bool Add(const QString& path);
    static QStringList Entries();
};
