// Speed of the serial layer on pseudo-terminals: closing a listening port,
// the delay from bytes on the line to the owner's notification, a burst from
// brenvik-sim read through notifications, a Get at bus speed, and the
// listener's CPU time while data stays unread.

#include "serial/SerialWnd.h"

#include "bus/GroupMessage.h"
#include "bus/GroupRequests.h"

#include "RecordingTarget.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/PseudoTerminal.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace win32;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Opens a listening port on the pseudo-terminal, or marks the run failed.
bool OpenListening(benchmark::State& state, CSerialWnd& port, const char* path, RecordingTarget& target)
{
    if (port.Open(path, &target, 0, 12, 512, 512) == 0)
        return true;
    state.SkipWithError("open failed");
    return false;
}

void ReportMedian(benchmark::State& state, std::vector<double> samples, const char* name)
{
    std::sort(samples.begin(), samples.end());
    state.counters[std::string(name) + "_median_ms"] = samples[samples.size() / 2];
    state.counters[std::string(name) + "_max_ms"] = samples.back();
}

// Median time of Close on a listening port (the thread is stopped and joined).
void BM_CloseListeningPort(benchmark::State& state)
{
    PseudoTerminal pty;
    RecordingTarget target;
    CSerialWnd port;
    std::vector<double> samples;
    for (auto _ : state) {
        if (!OpenListening(state, port, pty.Path(), target))
            return;
        const auto start = Clock::now();
        port.Close();
        const auto took = Clock::now() - start;
        samples.push_back(Milliseconds(took));
        state.SetIterationTime(std::chrono::duration<double>(took).count());
    }
    ReportMedian(state, samples, "close");
}
BENCHMARK(BM_CloseListeningPort)->Iterations(200)->UseManualTime()->Unit(benchmark::kMillisecond);

// Delay from a byte written on the device side to the notification reaching
// the owner's thread.
void BM_NotificationDelay(benchmark::State& state)
{
    PseudoTerminal pty;
    RecordingTarget target;
    CSerialWnd port;
    if (!OpenListening(state, port, pty.Path(), target))
        return;
    std::vector<double> samples;
    char buffer[1024];
    for (auto _ : state) {
        const size_t before = target.Count();
        const auto start = Clock::now();
        pty.Send("x");
        if (!target.WaitFor(before + 1)) {
            state.SkipWithError("no notification");
            return;
        }
        const auto took = Clock::now() - start;
        samples.push_back(Milliseconds(took));
        state.SetIterationTime(std::chrono::duration<double>(took).count());
        port.Read(buffer, sizeof buffer);
    }
    ReportMedian(state, samples, "delay");
}
BENCHMARK(BM_NotificationDelay)->Iterations(200)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A 1 MiB burst from the simulator, read as the program reads: on each
// notification, 1024-byte reads until the port is empty.
void BM_SimulatorBurst(benchmark::State& state)
{
    constexpr size_t kBurst = 1 << 20;
    constexpr size_t kAnswers = 2 * bus::kGroupMessageSize;  // echo and settings reply
    ChildProgram sim(BRENVIK_SIM_PROGRAM, {"--fast", "--flood", std::to_string(kBurst)});
    const std::string path = sim.OutLine();
    if (path.empty()) {
        state.SkipWithError("brenvik-sim did not start");
        return;
    }
    std::vector<double> rates;
    for (auto _ : state) {
        RecordingTarget target;
        CSerialWnd port;
        if (!OpenListening(state, port, path.c_str(), target))
            return;
        const auto request = bus::PackGroupMessage(bus::MakeSettingsRequest());
        const auto start = Clock::now();
        port.Write(request.data(), static_cast<DWORD>(request.size()), nullptr, nullptr, 2000);

        std::vector<std::uint8_t> received;
        received.reserve(kAnswers + kBurst);
        std::uint8_t buffer[1024];
        size_t handled = 0;
        while (received.size() < kAnswers + kBurst) {
            if (!target.WaitFor(handled + 1)) {
                state.SkipWithError("burst stalled");
                return;
            }
            handled = target.Count();
            DWORD count = 0;
            do {
                port.Read(buffer, sizeof buffer, &count);
                received.insert(received.end(), buffer, buffer + count);
            } while (count == sizeof buffer);
        }
        const auto took = Clock::now() - start;
        state.SetIterationTime(std::chrono::duration<double>(took).count());
        bool intact = received.size() == kAnswers + kBurst;
        for (size_t i = 0; intact && i < kBurst; ++i)
            intact = received[kAnswers + i] == (i & 0x7F);
        if (!intact) {
            state.SkipWithError("bytes lost or changed");
            return;
        }
        rates.push_back(kBurst / 1e6 / std::chrono::duration<double>(took).count());
        state.counters["notifications"] = static_cast<double>(target.Count());
    }
    std::sort(rates.begin(), rates.end());
    state.counters["MB_per_s_median"] = rates[rates.size() / 2];
    state.counters["MB_per_s_min"] = rates.front();
}
BENCHMARK(BM_SimulatorBurst)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// A Get at bus speed: the echo and the settings reply, 40 bytes at 16457
// baud, should take about 24 ms from the request's write to the last byte.
void BM_SimulatorGetAtBusSpeed(benchmark::State& state)
{
    ChildProgram sim(BRENVIK_SIM_PROGRAM, {});
    const std::string path = sim.OutLine();
    CSerialLine port;
    if (path.empty() || port.Open(path.c_str(), 512, 512, true) != 0) {
        state.SkipWithError("brenvik-sim did not start");
        return;
    }
    port.SetReadTimeoutMode(CSerialLine::ReadModeWaitAll);
    const auto request = bus::PackGroupMessage(bus::MakeSettingsRequest());
    std::vector<double> samples;
    for (auto _ : state) {
        std::uint8_t answer[2 * bus::kGroupMessageSize];
        DWORD count = 0;
        const auto start = Clock::now();
        port.Write(request.data(), static_cast<DWORD>(request.size()), nullptr, nullptr, 2000);
        if (port.Read(answer, sizeof answer, &count, nullptr, 10000) != 0) {
            state.SkipWithError("no answer");
            return;
        }
        const auto took = Clock::now() - start;
        samples.push_back(Milliseconds(took));
        state.SetIterationTime(std::chrono::duration<double>(took).count());
    }
    ReportMedian(state, samples, "get");
}
BENCHMARK(BM_SimulatorGetAtBusSpeed)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

double ProcessCpuSeconds()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU time the listener uses while received data stays unread (the owner
// sleeps, so the process's CPU time is the listener's).
void BM_ListenerCpuWithUnreadData(benchmark::State& state)
{
    PseudoTerminal pty;
    RecordingTarget target;
    CSerialWnd port;
    if (!OpenListening(state, port, pty.Path(), target))
        return;
    pty.Send(std::string(100, 'u'));
    target.WaitFor(1);
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        std::this_thread::sleep_for(2s);
        state.counters["listener_cpu_ms_per_s"] = (ProcessCpuSeconds() - before) * 1000 / 2;
    }
    state.counters["notifications"] = static_cast<double>(target.Count());
}
BENCHMARK(BM_ListenerCpuWithUnreadData)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
