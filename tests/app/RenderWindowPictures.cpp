// Writes pictures of the two View windows into the folder given as the only
// argument: the Trakbus Monitor after a Get and during a channel scan, and
// Scan Results of that scan, against the simulator on a pseudo-terminal.
// scripts/screenshot runs it under Xvfb, as it does the program.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include "app/BrenvikApp.h"
#include "app/BrenvikView.h"
#include "app/MainFrame.h"
#include "settings/Profile.h"
#include "platform/WindowText.h"
#include "res/Resource.h"
#include "tests/support/EventLoopWait.h"
#include "tests/support/SimOnPty.h"

namespace {

bool Save(QWidget& window, const QDir& folder, const QString& name)
{
    const QString path = folder.filePath(name);
    const bool saved = window.grab().save(path);
    QTextStream(saved ? stdout : stderr) << (saved ? "wrote " : "could not write ") << path << '\n';
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: window_pictures FOLDER\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());

    sim::SimOptions options = SimOnPty::Fast();
    options.settings = {"Layout1", 2468, 19, 12};
    SimOnPty sim(options);
    for (int n = 1; n <= 20; ++n)
        WriteProfileString("Ports", QStringLiteral("COM%1").arg(n),
                           n == 1 ? QString::fromStdString(sim.Path()) : QStringLiteral("/nonexistent"));
    CBrenvikApp app(&CBrenvikView::Create);
    app.InitInstance({});
    CMainFrame& frame = *app.MainFrame();
    auto& view = *dynamic_cast<CBrenvikView*>(frame.GetActiveView());
    const auto click = [&](int id) { static_cast<QAbstractButton*>(GetDlgItem(*view.Form(), id))->click(); };

    frame.OnCommand(ID_VIEW_BUS_MONITOR);
    click(IDC_GET);
    WaitUntil([&] { return view.ReplyCountdown() == 0; });
    frame.OnCommand(ID_VIEW_SCAN_RESULTS);
    click(IDC_SCAN_BUTTON);
    // Three rounds over the sixteen channels.
    WaitUntil([&] { return view.ScanResults().TotalSamples() >= 48; }, std::chrono::seconds(30));
    view.BusMonitorWindow()->Refresh();
    const bool saved = Save(*view.BusMonitorWindow(), folder, "trakbus-monitor.png")
        && Save(*view.ScanResultsWindow(), folder, "scan-results.png");
    frame.close();
    return saved ? 0 : 1;
}
