#include "platform/FirstPaintProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {

long PeakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

class FirstPaintFilter : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && !m_seen) {
            m_seen = true;
            // Report once this paint (and the flush that follows it) is done.
            QTimer::singleShot(0, [] {
                timespec now {};
                clock_gettime(CLOCK_REALTIME, &now);
                std::fprintf(stderr, "first-paint-ns %lld\npeak-rss-kb %ld\n",
                             static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec, PeakRssKb());
                std::fflush(stderr);
                if (qgetenv("BRENVIK_FIRST_PAINT_REPORT") != "stay")
                    QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};

} // namespace

void WatchForFirstPaint()
{
    if (qEnvironmentVariableIsEmpty("BRENVIK_FIRST_PAINT_REPORT"))
        return;
    QCoreApplication* application = QCoreApplication::instance();
    application->installEventFilter(new FirstPaintFilter(application));
}
