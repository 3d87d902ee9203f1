#pragma once

#include <QMainWindow>
#include <map>

#include "app/FrameView.h"
#include "app/WindowPlacement.h"

class CBrenvikDoc;
class CHtmlHelpLoader;
class ICommandTarget;
class QAction;

// The top-level window: a fixed title, the menu and accelerators, the
// stay-on-top switch, and the placement remembered across runs ("WindowPos")
// together with the last project path ("FilePaths"). It holds the view as its
// only child.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // Creates the frame (OnCreate) and then its view from the factory.
    CMainFrame(CBrenvikDoc& document, const ViewFactory& makeView, ICommandTarget* app = nullptr);
    ~CMainFrame() override;

    // Loads the placement, the switch and the project path; sets the title.
    int OnCreate();
    // Shows the frame at the placement loaded at creation, if any, in place
    // of the show command (-1: the normal show).
    void ActivateFrame(int nCmdShow = -1);
    // Makes the window topmost, or not, as the switch says.
    void ApplyStayOnTop();

    // Runs a command by number; false when nothing handles it.
    bool OnCommand(int command);
    void OnStayOnTop();
    void OnUpdateStayOnTop();
    void OnPortSetup();
    void WinHelp(quintptr data, unsigned command);

    bool LoadWindowPlacement(WindowPlacement& placement);
    void SaveWindowPlacement(WindowPlacement& placement);
    WindowPlacement GetWindowPlacement() const;
    void SetWindowPlacement(const WindowPlacement& placement);

    IFrameView* GetActiveView() const { return m_pView; }
    CBrenvikDoc& GetActiveDocument() const { return m_document; }
    // The menu or accelerator action of a command, or null.
    QAction* CommandAction(int command) const;
    void SetHelpFilePath(const QString& path) { m_strHelpFilePath = path; }
    // Help requests go to this loader; without one they do nothing.
    void SetHelpLoader(CHtmlHelpLoader& loader) { m_pHelpLoader = &loader; }
    // The show command of the last activation.
    int LastShowCommand() const { return m_nCmdShow; }

    bool m_bStayOnTop = false;
    WindowPlacement m_wpSaved;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void OnClose();
    void BuildMenus();
    QAction* AddCommand(const QString& text, int command);
    void ShowWithCommand(int nCmdShow);

    CBrenvikDoc& m_document;
    ICommandTarget* m_pApp;
    IFrameView* m_pView = nullptr;
    CHtmlHelpLoader* m_pHelpLoader = nullptr;
    QString m_strHelpFilePath;
    std::map<int, QAction*> m_commands;
    int m_nCmdShow = SW_SHOWNORMAL;
    bool m_bClosed = false;
};
