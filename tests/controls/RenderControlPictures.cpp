// Writes pictures of the three display controls, idle and during a channel
// scan, into the folder given as the only argument. scripts/screenshot runs it
// under Xvfb, as it does the program, so both pictures draw alike; without any
// display it draws offscreen.
#include "controls/ClockCtrl.h"
#include "controls/ColorButton.h"
#include "controls/ControlClasses.h"
#include "controls/RssiCtrl.h"
#include "bus/BusLimits.h"
#include "controls/SysColors.h"
#include "platform/DialogBuilder.h"
#include "res/DialogTemplates.h"
#include "res/Resource.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

namespace {

bool Save(QWidget& widget, const QDir& folder, const QString& name)
{
    const QString path = folder.filePath(name);
    const bool saved = widget.grab().save(path);
    QTextStream(saved ? stdout : stderr) << (saved ? "wrote " : "could not write ") << path << '\n';
    return saved;
}

// A scan of a few rounds over the channels, with a Wi-Fi network near
// channels 16 to 19 and a little noise elsewhere; the same every run.
void FeedScan(CRssiCtrl& graph)
{
    graph.ResetStats();
    unsigned noise = 12345;
    for (int round = 0; round < 6; ++round) {
        for (int channel = bus::kFirstChannel; channel <= bus::kLastChannel; ++channel) {
            noise = noise * 1103515245u + 12345u;
            const int jitter = static_cast<int>((noise >> 16) % 40);
            const bool busy = channel >= 16 && channel <= 19;
            graph.SetLevel(channel, (busy ? 120 : 15) + jitter + (busy && round == 2 ? 60 : 0));
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // pictures need no display
    QApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: controls_pictures <folder>\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));

    // The controls as the form's template makes them: its font, its sizes.
    RegisterControlClasses();
    QWidget form;
    CDialogBuilder::Build(*FindDialogTemplate(IDD_BRENVIK_FORM), form);
    auto* graph = form.findChild<CRssiCtrl*>(QString::number(IDC_RSSI));
    auto* clock = form.findChild<CClockCtrl*>(QString::number(IDC_CLOCK));
    auto* button = form.findChild<CColorButton*>(QString::number(IDC_SCAN_BUTTON));
    if (graph)
        graph->SetChannels(bus::kFirstChannel, bus::kChannelCount);
    if (!graph || !clock || !button) {
        QTextStream(stderr) << "the form template did not make the controls\n";
        return 1;
    }
    bool ok = true;

    ok &= Save(*graph, folder, "rssi-idle.png");
    FeedScan(*graph);
    ok &= Save(*graph, folder, "rssi-scan.png");

    clock->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    clock->SetTimeSource([] { return QDateTime(QDate(2026, 12, 6), QTime(14, 5, 9)); });
    clock->m_crText = QColor(0, 0, 128);
    clock->OnTimer();
    ok &= Save(*clock, folder, "clock.png");

    ok &= Save(*button, folder, "button-idle.png");
    button->SetColors(GetSysColor(COLOR_BTNTEXT), QColor(255, 0, 0));
    button->setText(QStringLiteral("42 Stop Scan"));
    ok &= Save(*button, folder, "button-scan.png");
    return ok ? 0 : 1;
}
