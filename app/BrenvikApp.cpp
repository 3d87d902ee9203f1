#include "app/BrenvikApp.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>

#include "app/AboutBox.h"
#include "app/BrenvikDoc.h"
#include "app/MainFrame.h"
#include "app/ShutdownSignals.h"
#include "help/HelpFileLocation.h"
#include "platform/MessageBox.h"
#include "settings/Profile.h"
#include "settings/QtSettingsStore.h"
#ifndef _WIN32
#include "settings/SettingsFile.h"
#endif
#include "res/Resource.h"
#include "res/ResourceIcons.h"
#include "res/Strings.h"
#include "serial/PortNames.h"

CBrenvikApp::CBrenvikApp(ViewFactory makeView) : m_makeView(std::move(makeView)) {}

CBrenvikApp::~CBrenvikApp() = default;

QString CBrenvikApp::DocumentFileFilter()
{
    // "Brenvik\n\nFlash\nFlash Files (*.hex,*.bin)\n.hex;*.bin\n..."
    const QStringList fields = LoadResourceString(IDR_MAINFRAME).split(QLatin1Char('\n'));
    const QString patterns = (QStringLiteral("*") + fields.value(4)).split(QLatin1Char(';')).join(QLatin1Char(' '));
    return QStringLiteral("%1 (%2)").arg(fields.value(3), patterns);
}

bool CBrenvikApp::InitInstance(const QString& projectPath)
{
    // The name only: a display name would be appended to every window title.
    QCoreApplication::setApplicationName(LoadResourceString(AFX_IDS_APP_TITLE));
    QGuiApplication::setWindowIcon(LoadResourceIcon(IDR_MAINFRAME));
    const bool started = projectPath.isEmpty() ? OnFileNew() : OpenDocumentFile(projectPath);
    if (!started)
        return false;

    m_pMainFrame->show();
    ReportSettingsFileRefusal();
    m_pMainFrame->setAcceptDrops(true);
    m_strHelpFilePath = HelpFileLocation(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    m_pMainFrame->SetHelpFilePath(m_strHelpFilePath);
    m_pMainFrame->setProperty(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toUtf8(), 1);
    return true;
}

void CBrenvikApp::ReportSettingsFileRefusal()
{
#ifndef _WIN32 // the registry holds them there
    if (const auto refusal = settings::RefusalOf(settings::CQtSettingsStore::FilePath())) {
        QString text = QString::fromStdString(*refusal);
        text[0] = text[0].toUpper();
        ShowMessageBox(m_pMainFrame.get(), text + QLatin1Char('.'));
    }
#endif
}

void CBrenvikApp::CreateFrame()
{
    if (!m_pDocument)
        m_pDocument = std::make_unique<CBrenvikDoc>();
    if (m_pMainFrame)
        return;
    m_pMainFrame = std::make_unique<CMainFrame>(*m_pDocument, m_makeView, this);
    m_pMainFrame->SetHelpLoader(m_helpLoader);
    // From now on a termination request closes the window the normal way
    // (a signal that comes during start-up is handled once the loop runs).
    m_pShutdown = std::make_unique<CShutdownSignals>();
    QObject::connect(m_pShutdown.get(), &CShutdownSignals::ShutdownRequested, [this] { RequestClose(); });
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, m_pShutdown.get(), [this] { RequestClose(); });
}

void CBrenvikApp::InitialUpdateFrame()
{
    m_pMainFrame->GetActiveView()->OnInitialUpdate();
    m_pMainFrame->ActivateFrame(-1);
}

bool CBrenvikApp::OnFileNew()
{
    CreateFrame();
    if (!m_pDocument->OnNewDocument())
        return false;
    InitialUpdateFrame();
    return true;
}

bool CBrenvikApp::OpenDocumentFile(const QString& path)
{
    CreateFrame();
    if (!m_pDocument->OnOpenDocument(QFileInfo(path).absoluteFilePath()))
        return false;
    InitialUpdateFrame();
    return true;
}

void CBrenvikApp::OnFileOpen()
{
    const QString path = QFileDialog::getOpenFileName(
        m_pMainFrame.get(), QStringLiteral("Open"), QFileInfo(m_pDocument->m_strProjectFilePath).path(),
        DocumentFileFilter() + QStringLiteral(";;All Files (*)"), nullptr, QFileDialog::HideNameFilterDetails);
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

void CBrenvikApp::OnAppAbout()
{
    CAboutBox about(m_pMainFrame.get());
    about.exec();
}

bool CBrenvikApp::OnCommand(int command)
{
    switch (command) {
    case ID_APP_ABOUT:
        OnAppAbout();
        return true;
    case ID_FILE_NEW:
        return OnFileNew();
    case ID_FILE_OPEN:
        OnFileOpen();
        return true;
    default:
        return false;
    }
}

void CBrenvikApp::RequestClose()
{
    // A modal dialog runs its own loop inside a handler of the window: end it
    // first and close the window once that handler has returned.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        QTimer::singleShot(0, [this] { RequestClose(); });
        return;
    }
    if (m_pMainFrame)
        m_pMainFrame->close();
}
