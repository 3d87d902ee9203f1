#include "app/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>

#include "app/BrenvikDoc.h"
#include "app/CommandTarget.h"
#include "help/HtmlHelpLoader.h"
#include "settings/Profile.h"
#include "res/MainMenu.h"
#include "res/Resource.h"
#include "res/ResourceIcons.h"
#include "res/Strings.h"

namespace {

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A restored rectangle that lies on no present screen is moved onto the
// primary one, so the window can never open out of reach.
QRect OnSomeScreen(const QRect& rect)
{
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(rect))
            return rect;
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return rect;
    const QRect area = primary->availableGeometry();
    QRect moved(QPoint(), rect.size().boundedTo(area.size()));
    moved.moveCenter(area.center());
    return moved;
}

} // namespace

CMainFrame::CMainFrame(CBrenvikDoc& document, const ViewFactory& makeView, ICommandTarget* app)
    : m_document(document), m_pApp(app)
{
    OnCreate();
    m_pView = makeView(*this, document);
    setCentralWidget(m_pView->Widget());
}

CMainFrame::~CMainFrame() = default;

int CMainFrame::OnCreate()
{
    setWindowIcon(LoadResourceIcon(IDR_MAINFRAME));
    BuildMenus();

    m_wpSaved.length = WindowPlacement::kStoredLength;
    if (!LoadWindowPlacement(m_wpSaved)) {
        m_wpSaved.length = 0;
        m_bStayOnTop = false;
    }
    m_document.m_strProjectFilePath = GetProfileText(settings::kProjectFilePath);
    setWindowTitle(QStringLiteral("Olvarn -- Brenvik  ") + LoadResourceString(IDS_VERSION));
    return 0;
}

QAction* CMainFrame::AddCommand(const QString& text, int command)
{
    auto* action = new QAction(text, this);
    action->setData(command);
    connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    m_commands.emplace(command, action);
    return action;
}

void CMainFrame::BuildMenus()
{
    for (const MenuBarResource& entry : MainMenu()) {
        if (entry.items.empty()) {
            menuBar()->addAction(AddCommand(Text(entry.text), entry.command));
            continue;
        }
        QMenu* menu = menuBar()->addMenu(Text(entry.text));
        for (const MenuItemResource& item : entry.items) {
            if (item.command == 0)
                menu->addSeparator();
            else
                menu->addAction(AddCommand(Text(item.text), item.command));
        }
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::OnUpdateStayOnTop);
    }
    m_commands.at(ID_STAY_ON_TOP)->setCheckable(true);

    // Accelerators: keys on the menu's own actions where there is one, else
    // window-wide actions of their own. Edit fields keep their own editing keys.
    for (const AcceleratorResource& accelerator : MainAccelerators()) {
        auto found = m_commands.find(accelerator.command);
        QAction* action = found != m_commands.end() ? found->second : nullptr;
        if (!action) {
            action = AddCommand(QString(), accelerator.command);
            addAction(action);
        }
        action->setShortcuts(action->shortcuts() << QKeySequence(Text(accelerator.keys)));
    }
}

QAction* CMainFrame::CommandAction(int command) const
{
    const auto found = m_commands.find(command);
    return found == m_commands.end() ? nullptr : found->second;
}

bool CMainFrame::OnCommand(int command)
{
    switch (command) {
    case ID_STAY_ON_TOP:
        OnStayOnTop();
        return true;
    case ID_PORT_SETUP:
        OnPortSetup();
        return true;
    case ID_VIEW_BUS_MONITOR:
        if (m_pView)
            m_pView->OnBusMonitor();
        return true;
    case ID_VIEW_SCAN_RESULTS:
        if (m_pView)
            m_pView->OnScanResults();
        return true;
    case ID_APP_EXIT:
        close();
        return true;
    case ID_HELP_FINDER:
    case ID_DEFAULT_HELP:
        WinHelp(0, HELP_FINDER);
        return true;
    case ID_HELP:
    case ID_CONTEXT_HELP:
        // No page has a context of its own: both show the contents.
        WinHelp(0, HELP_CONTEXT);
        return true;
    case ID_FILE_SAVE:
        // The document has no content; saving writes nothing to the file.
        return m_document.OnSaveDocument(m_document.GetPathName());
    default:
        return m_pApp && m_pApp->OnCommand(command);
    }
}

bool CMainFrame::LoadWindowPlacement(WindowPlacement& placement)
{
    const QString text = GetProfileText(settings::kWindowPos);
    if (text.isEmpty())
        return false;
    const bool complete = ParsePlacement(text, placement);
    m_bStayOnTop = (placement.flags & kStayOnTopFlag) != 0;
    placement.flags &= ~kStayOnTopFlag;
    return complete;
}

void CMainFrame::SaveWindowPlacement(WindowPlacement& placement)
{
    if (m_bStayOnTop)
        placement.flags |= kStayOnTopFlag;
    else
        placement.flags &= ~kStayOnTopFlag;
    WriteProfileText(settings::kWindowPos, FormatPlacement(placement));
}

WindowPlacement CMainFrame::GetWindowPlacement() const
{
    WindowPlacement placement;
    placement.length = WindowPlacement::kStoredLength;
    const Qt::WindowStates state = windowState();
    if (state & Qt::WindowMinimized) {
        placement.showCmd = SW_SHOWMINIMIZED;
        if (state & Qt::WindowMaximized)
            placement.flags |= WPF_RESTORETOMAXIMIZED;
    } else {
        placement.showCmd = (state & Qt::WindowMaximized) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    }
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    placement.left = normal.left();
    placement.top = normal.top();
    placement.right = normal.left() + normal.width();
    placement.bottom = normal.top() + normal.height();
    return placement;
}

void CMainFrame::SetWindowPlacement(const WindowPlacement& placement)
{
    const QRect normal(QPoint(placement.left, placement.top),
                       QSize(placement.right - placement.left, placement.bottom - placement.top));
    if (normal.isValid())
        setGeometry(OnSomeScreen(normal));
    Qt::WindowStates state = Qt::WindowNoState;
    if (placement.showCmd == SW_SHOWMAXIMIZED)
        state = Qt::WindowMaximized;
    else if (IsMinimizedShow(placement.showCmd))
        state = Qt::WindowMinimized
            | ((placement.flags & WPF_RESTORETOMAXIMIZED) ? Qt::WindowMaximized : Qt::WindowNoState);
    setWindowState(state);
}

void CMainFrame::ActivateFrame(int nCmdShow)
{
    if (m_wpSaved.length != 0) {
        nCmdShow = m_wpSaved.showCmd;
        SetWindowPlacement(m_wpSaved);
    }
    m_nCmdShow = nCmdShow;
    ShowWithCommand(nCmdShow);
}

void CMainFrame::ShowWithCommand(int nCmdShow)
{
    if (nCmdShow == SW_SHOWMAXIMIZED)
        showMaximized();
    else if (IsMinimizedShow(nCmdShow))
        showMinimized();
    else if (nCmdShow == SW_SHOWNORMAL)
        showNormal();
    else
        show(); // -1, SW_SHOW, ...: as it stands; a stored SW_HIDE must not hide the window for good
    activateWindow();
}

void CMainFrame::ApplyStayOnTop()
{
    const bool onTop = m_bStayOnTop != 0;
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    // Changing the flags re-creates the native window, which hides it.
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        show();
}

void CMainFrame::OnStayOnTop()
{
    m_bStayOnTop = !m_bStayOnTop;
    ApplyStayOnTop();
    OnUpdateStayOnTop();
}

void CMainFrame::OnUpdateStayOnTop()
{
    m_commands.at(ID_STAY_ON_TOP)->setChecked(m_bStayOnTop);
}

void CMainFrame::OnPortSetup()
{
    if (m_pView)
        m_pView->OnPortSetup();
}

void CMainFrame::WinHelp(quintptr data, unsigned command)
{
    if (m_pHelpLoader)
        m_pHelpLoader->WinHelp(this, m_strHelpFilePath, data, command);
}

void CMainFrame::OnClose()
{
    WriteProfileText(settings::kProjectFilePath, m_document.m_strProjectFilePath);
    WindowPlacement placement = GetWindowPlacement();
    if (isMaximized())
        placement.flags |= WPF_RESTORETOMAXIMIZED;
    SaveWindowPlacement(placement);
    m_document.OnCloseDocument();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // The settings are written once, however often close is asked for.
    if (!m_bClosed) {
        m_bClosed = true;
        OnClose();
    }
    event->accept();
    // Windows the frame owns (the help viewer) close with it, so none is left
    // open on a program whose main window has gone.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            child->close();
    }
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile() && m_pApp)
            m_pApp->OpenDocumentFile(url.toLocalFile());
    }
    event->acceptProposedAction();
}
