#include "app/DemoDriver.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <cstdio>

#include "app/MainFrame.h"
#include "res/Resource.h"

namespace {

constexpr int kGetAtMs = 500;
constexpr int kScanAtMs = 2500; // the Get has reported by then
constexpr int kScanMs = 6000;

void Click(CMainFrame& frame, int id)
{
    if (auto* button = frame.findChild<QAbstractButton*>(QString::number(id)))
        button->click();
}

} // namespace

void StartDemo(CMainFrame& frame, const QString& screenshotPath)
{
    QTimer::singleShot(kGetAtMs, &frame, [&frame] { Click(frame, IDC_GET); });
    QTimer::singleShot(kScanAtMs, &frame, [&frame] { Click(frame, IDC_SCAN_BUTTON); });
    QTimer::singleShot(kScanAtMs + kScanMs, &frame, [&frame, screenshotPath] {
        if (frame.grab().save(screenshotPath))
            std::printf("%s\n", qPrintable(screenshotPath));
        else
            std::fprintf(stderr, "brenvik: cannot save the picture to %s\n", qPrintable(screenshotPath));
        std::fflush(stdout);
        frame.close();
    });
}
