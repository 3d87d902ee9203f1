// Speed of the bus core: the framer over a realistic mixed stream, and packing
// and unpacking of one group configuration message.
#include "bus/BusFramer.h"
#include "bus/GroupMessage.h"
#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"
#include "tests/bus/MixedStream.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

void BM_FramerMixedStream(benchmark::State& state)
{
    const std::vector<std::uint8_t> stream = bustest::MixedStream(1'000'000, 5);
    CBusFramer framer;
    std::int64_t replies = 0;
    std::int64_t messages = 0;
    framer.SetGroupMessageHandler([&](std::span<const std::uint8_t>) { ++replies; });
    framer.SetMessageObserver([&](std::span<const std::uint8_t>) { ++messages; });
    for (auto _ : state) {
        framer.ProcessRxBytes(stream);
        benchmark::DoNotOptimize(replies);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
    state.counters["messages/pass"] = static_cast<double>(messages) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FramerMixedStream);

void BM_PackGroupMessage(benchmark::State& state)
{
    const bus::GroupMessageFields fields = bus::MakeSettingsReply({"Olv12345", 1234, 15, 200});
    for (auto _ : state) {
        auto bytes = bus::PackGroupMessage(fields);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PackGroupMessage);

void BM_UnpackGroupMessage(benchmark::State& state)
{
    const bus::GroupMessageBytes bytes = bus::PackGroupMessage(bus::MakeSettingsReply({"Olv12345", 1234, 15, 200}));
    for (auto _ : state) {
        auto fields = bus::UnpackGroupMessage(bytes);
        benchmark::DoNotOptimize(fields);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UnpackGroupMessage);

void BM_DecodeSettingsReply(benchmark::State& state)
{
    const bus::GroupMessageFields fields = bus::MakeSettingsReply({"\xC3\x84rna", 1234, 15, 200});
    for (auto _ : state) {
        auto reply = bus::DecodeGroupReply(fields);
        benchmark::DoNotOptimize(reply);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeSettingsReply);

} // namespace
