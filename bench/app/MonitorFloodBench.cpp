// The program under a flood of bus traffic, headless, with the Trakbus
// Monitor open and, for comparison, closed: 1000 messages a second for 10 s
// (and 20 s, to see memory once the monitor holds its 10 000 lines) from a
// transceiver that also answers the program at once.
// - cpu_pct_of_core: the program's CPU (the flooding thread left out);
// - rss_mb_at_2s / _half / _end: resident memory after 2 s, halfway and at
//   the end (runs share the process, so a later run starts where the last ended);
// - get_ms: a Get clicked at 5 s, from the click to the transceiver's name
//   in the form (-1: the Get failed);
// - worst_tick_late_ms: how late a 50 ms timer of the window came at worst
//   (the Get's own pauses block the window for 350 ms by design: left out);
// - lines_kept / lines_dropped / messages_sent: what the monitor holds.

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <fcntl.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "app/BrenvikApp.h"
#include "bench/app/ProcessCpu.h"
#include "app/BrenvikView.h"
#include "app/MainFrame.h"
#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"
#include "bus/TransceiverModel.h"
#include "settings/Profile.h"
#include "platform/WindowText.h"
#include "res/Resource.h"
#include "tests/support/EventLoopWait.h"
#include "tests/support/PseudoTerminal.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 1000; // messages a second

// The n-th message of the flood: traffic of other throttles (level queries
// and replies, channel writes, short messages) and now and then a message
// with a bad checksum. No settings reply: only the transceiver's answer to
// the program's own Get may end it.
std::vector<std::uint8_t> FloodMessage(int n)
{
    if (n % 10 == 5)
        return {0x81, 0x7E};
    bus::GroupMessageFields fields = n % 4 == 0 ? bus::MakeLevelQuery(11 + n % 16)
                                     : n % 4 == 1 ? bus::MakeRfChannelWrite(11 + n % 16)
                                                  : bus::MakeLevelReply(11 + n % 16, n % 256);
    auto bytes = bus::PackGroupMessage(fields);
    if (n % 50 == 49)
        bytes[19] ^= 0x01;
    return {bytes.begin(), bytes.end()};
}

// A transceiver on a pseudo-terminal that answers the program at once and
// floods the bus besides, on a thread of its own.
class FloodingTransceiver {
public:
    explicit FloodingTransceiver(std::chrono::seconds flood) : m_model({"Flood", 1234, 15, 7}), m_flood(flood)
    {
        if (::pipe2(m_stop, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        m_thread = std::thread([this] { Serve(); });
    }
    ~FloodingTransceiver() { Stop(); }

    void Stop()
    {
        if (!m_thread.joinable())
            return;
        const char byte = 0;
        [[maybe_unused]] ssize_t ignored = ::write(m_stop[1], &byte, 1);
        m_thread.join();
        ::close(m_stop[0]);
        ::close(m_stop[1]);
    }
    const std::string& Path() const { return m_pty.SlavePath(); }
    void StartFlood() { m_flooding = true; }
    int Sent() const { return m_sent; }
    double CpuSeconds() const { return m_cpuSeconds; }

private:
    void Serve()
    {
        std::vector<std::uint8_t> buffer(4096);
        Clock::time_point start;
        bool started = false;
        for (;;) {
            pollfd waits[2] = {{m_stop[0], POLLIN, 0}, {m_pty.Master(), POLLIN, 0}};
            ::poll(waits, 2, 1);
            if (waits[0].revents)
                break;
            if (waits[1].revents & POLLIN) {
                const ssize_t n = ::read(m_pty.Master(), buffer.data(), buffer.size());
                if (n > 0)
                    Write(m_model.Feed(std::span(buffer).first(std::size_t(n))));
            }
            if (!m_flooding)
                continue;
            if (!started) {
                start = Clock::now();
                started = true;
            }
            const auto elapsed = std::min<Clock::duration>(Clock::now() - start, m_flood);
            const int due = int(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() * kRate / 1000);
            std::vector<std::uint8_t> burst;
            for (; m_sent < due; ++m_sent) {
                const auto message = FloodMessage(m_sent);
                burst.insert(burst.end(), message.begin(), message.end());
            }
            Write(burst);
        }
        timespec cpu {};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
        m_cpuSeconds = double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9;
    }
    void Write(const std::vector<std::uint8_t>& bytes)
    {
        if (!bytes.empty())
            m_pty.Send(std::vector<unsigned char>(bytes.begin(), bytes.end()));
    }

    PseudoTerminal m_pty;
    CTransceiverModel m_model;
    std::chrono::seconds m_flood;
    int m_stop[2] = {-1, -1};
    std::atomic<bool> m_flooding = false;
    std::atomic<int> m_sent = 0;
    double m_cpuSeconds = 0;
    std::thread m_thread;
};

double ResidentMb()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void RunFlood(benchmark::State& state, bool withMonitor)
{
    const std::chrono::seconds flood(state.range(0));
    for (auto _ : state) {
        FloodingTransceiver transceiver(flood);
        for (int n = 1; n <= 20; ++n)
            WriteProfileString("Ports", QStringLiteral("COM%1").arg(n),
                               n == 1 ? QString::fromStdString(transceiver.Path()) : QStringLiteral("/nonexistent"));
        CBrenvikApp app(&CBrenvikView::Create);
        app.InitInstance({});
        auto& view = *dynamic_cast<CBrenvikView*>(app.MainFrame()->GetActiveView());
        if (withMonitor)
            app.MainFrame()->OnCommand(ID_VIEW_BUS_MONITOR);
        QWidget& name = *GetDlgItem(*view.Form(), IDC_GROUP_NAME);

        // A 50 ms timer of the window: how late it comes tells how responsive it is.
        QElapsedTimer sinceTick;
        double worstLateMs = 0;
        bool inGet = false;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (!inGet)
                worstLateMs = std::max(worstLateMs, double(sinceTick.nsecsElapsed()) / 1e6 - 50.0);
            sinceTick.restart();
        });

        double rssAt2s = 0;
        double rssAtHalf = 0;
        double getMs = -1;
        transceiver.StartFlood();
        const double cpuBefore = ProcessCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        sinceTick.start();
        tick.start(50);
        QTimer::singleShot(2000, [&] { rssAt2s = ResidentMb(); });
        QTimer::singleShot(int(flood.count()) * 500, [&] { rssAtHalf = ResidentMb(); });
        QTimer::singleShot(5000, [&] {
            inGet = true;
            QElapsedTimer get;
            get.start();
            static_cast<QAbstractButton*>(GetDlgItem(*view.Form(), IDC_GET))->click();
            WaitUntil([&] { return GetWindowText(name) == "Flood" || view.ReplyCountdown() == 0; });
            if (GetWindowText(name) == "Flood")
                getMs = double(get.nsecsElapsed()) / 1e6;
            WaitUntil([&] { return view.ReplyCountdown() == 0; });
            sinceTick.restart();
            inGet = false;
        });
        WaitUntil([&] { return wall.elapsed() >= flood.count() * 1000; }, flood + std::chrono::seconds(20));
        const double seconds = double(wall.elapsed()) / 1000.0;
        const double rssAtEnd = ResidentMb();
        transceiver.Stop();
        const double programCpu = ProcessCpuSeconds() - cpuBefore - transceiver.CpuSeconds();

        state.counters["messages_sent"] = transceiver.Sent();
        state.counters["cpu_pct_of_core"] = 100.0 * programCpu / seconds;
        state.counters["rss_mb_at_2s"] = rssAt2s;
        state.counters["rss_mb_at_half"] = rssAtHalf;
        state.counters["rss_mb_at_end"] = rssAtEnd;
        state.counters["get_ms"] = getMs;
        state.counters["worst_tick_late_ms"] = worstLateMs;
        if (CBusMonitorWindow* monitor = view.BusMonitorWindow()) {
            monitor->Refresh();
            state.counters["lines_kept"] = double(monitor->Log().Lines().size());
            state.counters["lines_dropped"] = double(monitor->Log().Dropped());
        }
        app.MainFrame()->close();
    }
}

void BM_FloodWithMonitor(benchmark::State& state) { RunFlood(state, true); }
void BM_FloodWithoutMonitor(benchmark::State& state) { RunFlood(state, false); }
// The argument: seconds of flood.
BENCHMARK(BM_FloodWithMonitor)->Arg(10)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_FloodWithoutMonitor)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
