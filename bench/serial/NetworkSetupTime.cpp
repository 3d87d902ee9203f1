// How long a network interface takes to become a usable bus line: connect,
// negotiate 16457 baud 8N1 without flow control, arm the events. Prints the
// median and the extremes over the runs, in milliseconds.
//
//   network-setup-time URL [RUNS]
//
// A server that still releases the device of the previous connection turns
// the next one away; such runs are repeated and not counted.
#include "serial/SerialLine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace win32;

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: network-setup-time URL [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 20;
    std::vector<double> ms;
    for (int attempt = 0; int(ms.size()) < runs && attempt < runs * 50; ++attempt) {
        CSerialLine line;
        const auto start = std::chrono::steady_clock::now();
        LONG result = line.Open(argv[1], 512, 512, true);
        if (result == 0)
            result = line.Setup(16457, 8, NOPARITY, ONESTOPBIT);
        if (result == 0)
            result = line.SetHandshake(CSerialLine::HandshakeNone);
        if (result == 0)
            result = line.SetMask(EV_RXCHAR | EV_ERR);
        const auto end = std::chrono::steady_clock::now();
        line.Close();
        if (result == ERROR_ACCESS_DENIED)
            continue;
        if (result != 0) {
            std::fprintf(stderr, "network-setup-time: %s: error %d\n", argv[1], int(result));
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%.2f %.2f %.2f\n", ms[ms.size() / 2], ms.front(), ms.back());
    return 0;
}
