#pragma once

#include <QString>
#include <memory>

#include "app/CommandTarget.h"
#include "app/FrameView.h"
#include "help/BuiltInHelpControl.h"

class CBrenvikDoc;
class CMainFrame;
class CShutdownSignals;

// The application: its start-up sequence ties one document, the main frame
// and the view together, shows the window, sets the help path and marks the
// window. It serves About, New and Open, and closes the window the normal way
// on SIGTERM, SIGINT or the end of the session.
class CBrenvikApp final : public ICommandTarget {
public:
    explicit CBrenvikApp(ViewFactory makeView);
    ~CBrenvikApp() override;

    // The start-up sequence; false ends the process. A project path (from
    // the command line) is opened, an empty one makes a new document.
    bool InitInstance(const QString& projectPath);

    bool OnCommand(int command) override;
    // Records a project path (the document has no content) and runs the
    // view's initial update again, as Open does.
    bool OpenDocumentFile(const QString& path) override;
    bool OnFileNew();
    void OnFileOpen();
    void OnAppAbout();
    // Closes any modal dialog, then the main window (which saves everything).
    void RequestClose();

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
    CBrenvikDoc* Document() const { return m_pDocument.get(); }
    QString HelpFilePath() const { return m_strHelpFilePath; }

    // The file dialog's filter, from the document strings: the filter text
    // followed by the patterns Qt reads.
    static QString DocumentFileFilter();

private:
    void CreateFrame();
    // Says once, over the window, why the settings file cannot be used (a
    // FIFO or a folder at its path): the settings are then neither read nor
    // written.
    void ReportSettingsFileRefusal();
    void InitialUpdateFrame();

    ViewFactory m_makeView;
    // The help control and its loader live as long as the process's
    // application object, and outlive the frame.
    CBuiltInHelpControl m_helpControl;
    CHtmlHelpLoader m_helpLoader {m_helpControl};
    std::unique_ptr<CBrenvikDoc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    std::unique_ptr<CShutdownSignals> m_pShutdown;
    QString m_strHelpFilePath;
};
