#include <QApplication>

#include "app/BrenvikApp.h"
#include "app/PlaceholderView.h"
#include "platform/FirstPaintProbe.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    CBrenvikApp app(&CPlaceholderView::Create);
    if (!app.InitInstance(arguments))
        return 1;
    WatchForFirstPaint();
    return application.exec();
}
