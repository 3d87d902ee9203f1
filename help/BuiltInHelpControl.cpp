#include "help/BuiltInHelpControl.h"

#include <QDir>
#include <QFileInfo>

#include "platform/MessageBox.h"

CBuiltInHelpControl::~CBuiltInHelpControl()
{
    delete m_pViewer;
}

bool CBuiltInHelpControl::FindHelpControlPath(QString&)
{
    return false;
}

bool CBuiltInHelpControl::LoadControl(const QString& pathOrName)
{
    return pathOrName == QLatin1String("hhctrl.ocx");
}

HtmlHelpEntry CBuiltInHelpControl::ResolveEntry(int ordinal)
{
    if (ordinal != kHtmlHelpEntryOrdinal)
        return {};
    return [this](QWidget* caller, const QString& file, unsigned command, quintptr) {
        return Display(caller, file, command);
    };
}

QString CBuiltInHelpControl::MissingFileMessage(const QString& path)
{
    return QStringLiteral("The help file could not be found:\n%1\n\n"
                          "Help is installed beside the program. Reinstall Brenvik, "
                          "or run it from its build or install folder.")
        .arg(QDir::toNativeSeparators(path));
}

QWidget* CBuiltInHelpControl::Display(QWidget* caller, const QString& file, unsigned command)
{
    if (command != HH_DISPLAY_TOPIC)
        return nullptr;
    if (!QFileInfo(file).isFile()) {
        ShowMessageBox(caller, MissingFileMessage(file), MessageIcon::Warning);
        return nullptr;
    }
    // The viewer belongs to the window that asks first, and goes with it: an
    // open help window never keeps the program (and its port) alive.
    if (!m_pViewer)
        m_pViewer = new CHelpViewer(caller ? caller->window() : nullptr);
    m_pViewer->ShowFile(file);
    m_pViewer->show();
    m_pViewer->raise();
    m_pViewer->activateWindow();
    return m_pViewer;
}
