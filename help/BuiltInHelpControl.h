#pragma once

#include <QPointer>

#include "help/HelpViewer.h"
#include "help/HtmlHelpLoader.h"

// The help control of this platform: our own help viewer, always present.
// No control is registered anywhere, so the loader goes straight to the bare
// name, which stands for the built-in viewer. Its entry shows the help file's
// contents page in one viewer window (raised if already open); a missing help
// file gives a message naming the file instead of silence. The viewer is a
// window of its own, owned by the window that first asked for it: it is
// destroyed with that window, or with this object, whichever goes first.
class CBuiltInHelpControl final : public IHelpControlSource {
public:
    ~CBuiltInHelpControl() override;

    bool FindHelpControlPath(QString& path) override;
    bool LoadControl(const QString& pathOrName) override;
    HtmlHelpEntry ResolveEntry(int ordinal) override;

    CHelpViewer* Viewer() const { return m_pViewer; }

    // The message shown when the help file is missing.
    static QString MissingFileMessage(const QString& path);

private:
    QWidget* Display(QWidget* caller, const QString& file, unsigned command);

    QPointer<CHelpViewer> m_pViewer;
};

