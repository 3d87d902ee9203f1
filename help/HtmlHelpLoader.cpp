#include "help/HtmlHelpLoader.h"

QWidget* CHtmlHelpLoader::CallHtmlHelp(QWidget* caller, const QString& file, unsigned command, quintptr data)
{
    if (!m_bLoaded && !m_bFailed) {
        QString registeredPath;
        if (m_source.FindHelpControlPath(registeredPath))
            m_bLoaded = m_source.LoadControl(registeredPath);
        if (!m_bLoaded)
            m_bLoaded = m_source.LoadControl(QStringLiteral("hhctrl.ocx"));
        if (!m_bLoaded) {
            m_bFailed = true;
            return nullptr;
        }
    }
    if (!m_entry && m_bLoaded && !m_bFailed) {
        m_entry = m_source.ResolveEntry(kHtmlHelpEntryOrdinal);
        if (!m_entry)
            m_bFailed = true;
    }
    if (!m_entry)
        return nullptr;
    return m_entry(caller, file, command, data);
}

void CHtmlHelpLoader::WinHelp(QWidget* frame, const QString& helpFilePath, quintptr data, unsigned command)
{
    if (command == HELP_CONTEXT || command == HELP_FINDER)
        CallHtmlHelp(frame, helpFilePath, HH_DISPLAY_TOPIC, data);
}
