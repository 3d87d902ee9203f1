#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

#include "platform/WindowsApi.h"

class QWidget;

// Help commands of the frame's help entry.
constexpr unsigned HELP_CONTEXT = 1;
constexpr unsigned HELP_QUIT = 2;
constexpr unsigned HELP_FINDER = 11;
// Commands of the help control.
constexpr unsigned HH_DISPLAY_TOPIC = 0;
// The number of the help control's entry point.
constexpr int kHtmlHelpEntryOrdinal = 14;

// The help control's entry point: (caller, help file, command, data) -> the
// help window, or null.
using HtmlHelpEntry = std::function<QWidget*(QWidget* caller, const QString& file, unsigned command, quintptr data)>;

// Where the help control comes from: its registered location, loading it
// (by that location or by bare name) and resolving its entry point.
class IHelpControlSource {
public:
    virtual ~IHelpControlSource() = default;
    // The registered location of the control, or false when none is registered.
    virtual bool FindHelpControlPath(QString& path) = 0;
    // Loads the control from a location or bare name; false when that fails.
    virtual bool LoadControl(const QString& pathOrName) = 0;
    // The loaded control's entry point with that number, or an empty function.
    virtual HtmlHelpEntry ResolveEntry(int ordinal) = 0;
};

// Loads the help control on the first request only (the registered location
// first, then the bare name "hhctrl.ocx"), resolves its entry once, and after
// a failure never tries again for the life of the object.
class CHtmlHelpLoader {
public:
    explicit CHtmlHelpLoader(IHelpControlSource& source) : m_source(source) {}

    // The entry's result, or null while the control is unavailable.
    QWidget* CallHtmlHelp(QWidget* caller, const QString& file, unsigned command, quintptr data);

    // What the frame's help entry does: HELP_CONTEXT and HELP_FINDER display
    // the help file (at its default topic), any other command is ignored.
    void WinHelp(QWidget* frame, const QString& helpFilePath, quintptr data, unsigned command);

private:
    IHelpControlSource& m_source;
    bool m_bLoaded = false;
    HtmlHelpEntry m_entry;
    bool m_bFailed = false;
};
