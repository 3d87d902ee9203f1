// The form against the simulator at bus timing (16457 baud), headless:
// - the time from the click on "Get " to "Got Settings Ok" on the screen;
// - the time from the click on "Set" to the last of its writes on the line;
// - one full channel scan: the CPU the program used (the simulator's thread
//   left out), the level queries sent and the replies applied.

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <memory>
#include <numeric>

#include "app/BrenvikApp.h"
#include "bench/app/ProcessCpu.h"
#include "app/BrenvikView.h"
#include "app/MainFrame.h"
#include "controls/RssiCtrl.h"
#include "settings/Profile.h"
#include "platform/WindowText.h"
#include "res/Resource.h"
#include "tests/support/EventLoopWait.h"
#include "tests/support/SimOnPty.h"
#include "bench/app/PaintOf.h"

namespace {

sim::SimOptions BusTiming()
{
    sim::SimOptions options;
    options.settings = {"Bench", 1234, 15, 7};
    return options;
}

// The program with the simulator as COM1; every other COM number leads nowhere.
class Program {
public:
    Program()
    {
        for (int n = 1; n <= 20; ++n)
            WriteProfileString("Ports", QStringLiteral("COM%1").arg(n),
                               n == 1 ? QString::fromStdString(sim.Path()) : QStringLiteral("/nonexistent"));
        app.InitInstance({});
    }
    CBrenvikView& View() const { return *dynamic_cast<CBrenvikView*>(app.MainFrame()->GetActiveView()); }
    QWidget& Ctrl(int id) const { return *GetDlgItem(*View().Form(), id); }
    void Click(int id) const { static_cast<QAbstractButton&>(Ctrl(id)).click(); }
    SimOnPty sim {BusTiming()};
    CBrenvikApp app {&CBrenvikView::Create};
};


void BM_GetClickToSettingsOk(benchmark::State& state)
{
    Program program;
    std::vector<double> ms;
    int click = 0;
    for (auto _ : state) {
        // The user clicks at any moment of the form's 250 ms tick.
        QElapsedTimer idle;
        idle.start();
        WaitUntil([&] { return idle.elapsed() >= 13 * click % 250; });
        ++click;
        PaintOf ok(program.Ctrl(IDC_GET_RESULT), QStringLiteral("Got Settings Ok"));
        const auto click = std::chrono::steady_clock::now();
        program.Click(IDC_GET);
        WaitUntil([&] { return ok.Seen(); });
        const std::chrono::duration<double> took = ok.When() - click;
        state.SetIterationTime(took.count());
        ms.push_back(took.count() * 1000.0);
        WaitUntil([&] { return program.View().ReplyCountdown() == 0; });
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = (ms[(ms.size() - 1) / 2] + ms[ms.size() / 2]) / 2;
    state.counters["min_ms"] = ms.front();
    state.counters["max_ms"] = ms.back();
}
BENCHMARK(BM_GetClickToSettingsOk)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SetClickToLastWrite(benchmark::State& state)
{
    Program program;
    for (auto _ : state) {
        const auto click = std::chrono::steady_clock::now();
        program.Click(IDC_SET);
        std::vector<SimFrame> writes;
        WaitUntil([&] {
            writes.clear();
            for (const SimFrame& frame : program.sim.Frames()) {
                if (frame.rx && frame.IsGroupMessage())
                    writes.push_back(frame);
            }
            return writes.size() == 4;
        });
        state.SetIterationTime(std::chrono::duration<double>(writes.back().at - click).count());
    }
}
BENCHMARK(BM_SetClickToLastWrite)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FullScan(benchmark::State& state)
{
    for (auto _ : state) {
        auto program = std::make_unique<Program>();
        const double cpuBefore = ProcessCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        program->Click(IDC_SCAN_BUTTON);
        WaitUntil([&] { return program->View().ScanTicks() == 0; }, std::chrono::minutes(2));
        const double seconds = double(wall.elapsed()) / 1000.0;
        // Replies still under way when the scan ended.
        QElapsedTimer settle;
        settle.start();
        WaitUntil([&] { return settle.elapsed() > 300; });
        program->sim.Stop();
        const double programCpu = ProcessCpuSeconds() - cpuBefore - program->sim.CpuSeconds();

        const auto& rssi = static_cast<CRssiCtrl&>(program->Ctrl(IDC_RSSI));
        const auto samples = rssi.Samples();
        int queries = 0;
        for (const bus::GroupMessageFields& fields : program->sim.Written())
            queries += fields.command == bus::CmdChannelLevel;
        state.counters["scan_s"] = seconds;
        state.counters["cpu_pct_of_core"] = 100.0 * programCpu / seconds;
        state.counters["level_queries"] = queries;
        state.counters["replies_applied"] = std::accumulate(samples.begin(), samples.end(), 0);
    }
}
BENCHMARK(BM_FullScan)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
