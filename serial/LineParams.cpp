#include "serial/LineParams.h"

#include <cstdlib>

namespace serial_line {
namespace {

constexpr std::int64_t kBaudTolerancePercent = 2;

bool CloseEnough(std::uint32_t taken, std::uint32_t wanted)
{
    const std::int64_t off = std::llabs(std::int64_t(taken) - std::int64_t(wanted));
    return off * 100 <= std::int64_t(wanted) * kBaudTolerancePercent;
}

}  // namespace

bool RunsAsAsked(const LineParams& taken, const LineParams& wanted)
{
    return taken.byteSize == wanted.byteSize && taken.parity == wanted.parity
        && taken.twoStopBits == wanted.twoStopBits && CloseEnough(taken.baudRate, wanted.baudRate);
}

}  // namespace serial_line
