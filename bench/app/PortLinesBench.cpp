// The lines people own, measured against the simulator:
// - open to first byte, and a Get from request to reply, on a USB bus
//   interface's line (57600 baud with RTS/CTS; the simulator paced at that
//   speed and answering only on that line), beside the bus's own 16457 baud;
// - a device that appears (a link made as udev makes /dev/serial/by-id/
//   names) to "COM Port 1 Open" on the form's screen, on the wall clock,
//   and to the port being open.

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>

#include "app/BrenvikApp.h"
#include "app/BrenvikView.h"
#include "app/MainFrame.h"
#include "bus/GroupRequests.h"
#include "busport/BusPort.h"
#include "platform/MessageBox.h"
#include "settings/Profile.h"
#include "platform/WindowText.h"
#include "res/Resource.h"
#include "tests/support/EventLoopWait.h"
#include "tests/support/SimOnPty.h"
#include "bench/app/PaintOf.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void ReportMedian(benchmark::State& state, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = (ms[(ms.size() - 1) / 2] + ms[ms.size() / 2]) / 2;
    state.counters["min_ms"] = ms.front();
    state.counters["max_ms"] = ms.back();
}

// The simulator as an interface on `line`, paced at its speed.
sim::SimOptions InterfaceOn(const busport::LineSettings& line)
{
    sim::SimOptions options;
    options.line = {line.baud, line.flow == busport::Flow::RtsCts};
    return options;
}

// The program's end of a line (speed and RTS/CTS from the benchmark's
// arguments) and the simulator on that line.
struct BusLine {
    explicit BusLine(const benchmark::State& state)
        : line {std::uint32_t(state.range(0)), state.range(1) ? busport::Flow::RtsCts : busport::Flow::None},
          sim(InterfaceOn(line))
    {
    }
    busport::LineSettings line;
    SimOnPty sim;
    busport::CBusPort port;
};

// Waits on the line until `done`, framing what arrives.
bool PumpUntil(busport::CBusPort& port, const std::function<bool()>& done)
{
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (Clock::now() > end || port.WaitForEvent(std::chrono::milliseconds(50)))
            return false;
    }
    return true;
}

// From the start of the open (line set, armed) to the first byte of the
// echo of a Get sent at once.
void BM_OpenToFirstByte(benchmark::State& state)
{
    BusLine bus(state);
    busport::CBusPort& port = bus.port;
    std::vector<double> ms;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (port.Open(bus.sim.Path(), bus.line) || port.SendGetRequest([](auto) {})
            || !PumpUntil(port, [&] { return port.BytesReceived() > 0; })) {
            state.SkipWithError("no answer on this line");
            return;
        }
        const auto took = Clock::now() - start;
        state.SetIterationTime(std::chrono::duration<double>(took).count());
        ms.push_back(Ms(took));
        PumpUntil(port, [&] { return port.ReplySeen(); });
        port.Close();
    }
    ReportMedian(state, ms);
}
BENCHMARK(BM_OpenToFirstByte)->Args({57600, 1})->Args({16457, 0})->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

// A Get on an open line: from the request's write to its reply framed.
void BM_Get(benchmark::State& state)
{
    BusLine bus(state);
    busport::CBusPort& port = bus.port;
    if (port.Open(bus.sim.Path(), bus.line)) {
        state.SkipWithError("cannot open");
        return;
    }
    std::vector<double> ms;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (port.SendGetRequest([](auto) {}) || !PumpUntil(port, [&] { return port.ReplySeen(); })) {
            state.SkipWithError("no reply on this line");
            return;
        }
        const auto took = Clock::now() - start;
        state.SetIterationTime(std::chrono::duration<double>(took).count());
        ms.push_back(Ms(took));
    }
    ReportMedian(state, ms);
}
BENCHMARK(BM_Get)->Args({57600, 1})->Args({16457, 0})->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

// Plugged in (the by-id link made) to "COM Port 1 Open" painted, then
// unplugged again until the form says "COM Port Closed" and watches; the
// form on the wall clock with its 250 ms ticks.
void BM_DeviceAppearsToPortOpen(benchmark::State& state)
{
    QTemporaryDir byId;
    const std::string link = byId.path().toStdString() + "/usb-Olvarn_Bus_Interface_0001-if00";
    for (int n = 1; n <= 20; ++n)
        WriteProfileString("Ports", QStringLiteral("COM%1").arg(n),
                           n == 1 ? QString::fromStdString(link) : QStringLiteral("/nonexistent"));
    CBrenvikApp app(&CBrenvikView::Create);
    app.InitInstance({});
    auto& view = *dynamic_cast<CBrenvikView*>(app.MainFrame()->GetActiveView());
    QWidget& status = *GetDlgItem(*view.Form(), IDC_PORT_STATUS);
    std::vector<double> ms, opened;
    int plugs = 0;
    for (auto _ : state) {
        if (!WaitUntil([&] { return view.IsWatchingForPort() && GetWindowText(status) == "COM Port Closed"; })) {
            state.SkipWithError("the form does not watch for its port");
            return;
        }
        // The user plugs in at any moment of the form's 250 ms tick.
        const auto idleUntil = Clock::now() + std::chrono::milliseconds(37 * plugs++ % 250);
        WaitUntil([&] { return Clock::now() >= idleUntil; });
        auto device = std::make_unique<SimOnPty>(SimOnPty::Fast());
        PaintOf open(status, QStringLiteral("COM Port 1 Open"));
        const auto plugged = Clock::now();
        std::filesystem::create_symlink(device->Path(), link);
        if (!WaitUntil([&] { return view.SerialPort().IsOpen(); })) {
            state.SkipWithError("not opened");
            return;
        }
        opened.push_back(Ms(Clock::now() - plugged));
        if (!WaitUntil([&] { return open.Seen(); })) {
            state.SkipWithError("not shown");
            return;
        }
        const auto took = open.When() - plugged;
        state.SetIterationTime(std::chrono::duration<double>(took).count());
        ms.push_back(Ms(took));
        device.reset();
        std::filesystem::remove(link);
    }
    ReportMedian(state, ms);
    // The port itself is open sooner; the status line follows on the next tick.
    std::sort(opened.begin(), opened.end());
    state.counters["port_open_median_ms"] = (opened[(opened.size() - 1) / 2] + opened[opened.size() / 2]) / 2;
}
BENCHMARK(BM_DeviceAppearsToPortOpen)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
