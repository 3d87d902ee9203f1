#include "cli/CliHelp.h"

namespace cli {
namespace {

constexpr const char* kBusOptions = R"(  -p, --port PORT  COM number (COM5 or 5, through the same port map as the
                   program), a device path (/dev/ttyUSB0) or a bus interface
                   on the network: rfc2217://HOST:PORT or tcp://HOST:PORT
                   (IPv6 as [::1]:PORT); default: $BRENVIK_PORT, else the
                   port the program last used. --timeout also bounds
                   connecting (2000 without it)
  --baud N         line speed for this run; default: the port's stored line
                   ("Lines", COM<n>), else 16457
  --flow MODE      flow control for this run: none or rtscts; default: the
                   port's stored line, else none
A device locked by another program (/run/lock/LCK..ttyUSB0, as ser2net and
minicom keep them; $BRENVIK_LOCK_DIR names another folder) is busy; a device
brenvik-cli opens is locked there while open.
)";

constexpr const char* kExitCodes = R"(
A value that starts with - goes after an equals sign (--name=-x); -- ends
the options. -h is --help, -V is --version.

Exit codes: 0 success, 1 usage or validation error, 2 no reply (or the
transceiver did not take what was written), 3 port error, 130 interrupted
(Ctrl+C), 143 terminated (SIGTERM). With --json every failure is also one
JSON object on stdout: {"error": "busy", "message": "...", "port": ...}.
)";

std::string General()
{
    return std::string(R"(Usage: brenvik-cli COMMAND [options]

Reads and writes the radio group settings of a wireless throttle
transceiver on the Trakbus, and scans its RF channels, from a terminal.

Commands:
  ports     list the serial ports and whether each can be used
  get       read the transceiver's settings
  set       write new settings (name, channel, key) and check them
  scan      measure the signal level of channels 11-26
  monitor   show every bus message until Ctrl+C

brenvik-cli COMMAND --help shows a command's options; brenvik-cli --version
shows the version. Bash completes commands, options and ports (Tab).
)") + kExitCodes;
}

} // namespace

std::string HelpText(const std::string& command)
{
    const std::string bus = kBusOptions;
    if (command == "ports")
        return std::string(R"(Usage: brenvik-cli ports [--probe] [--json]
       brenvik-cli ports --use PORT [--force]
       brenvik-cli ports --forget COMn

Lists COM1 to COM20 with their device paths, and every other USB serial
device present (/dev/ttyACM*, /dev/ttyUSB*), without opening any of them:
whether the device is there and is a serial device, whether this user may
use it (with the command that grants access), which program holds it open,
and for a USB adapter its maker, product, serial number, vendor and product
IDs and its stable /dev/serial/by-id name. A COM number mapped to a URL is
a network interface. The saved port is marked.

  --probe          also open each device briefly for the exact answer
                   (free or busy; a network interface: reachable or not);
                   some USB boards restart when opened
  -j, --json       one JSON object instead of the table
  --use PORT       store PORT (COM3, 3, a device path or a URL) as the saved
                   port, the one the program and brenvik-cli use from then
                   on; a device path gets a COM number in the port map. A
                   device that is not there now is refused (exit 1)
  --force          with --use: store a device that is not there now
  --forget COMn    remove COMn from the port map; it names its built-in
                   device again
)") + kExitCodes;
    if (command == "get")
        return R"(Usage: brenvik-cli get [-p PORT] [--timeout MS] [-j]

Sends the Get request and shows the settings the transceiver answered:
group name (in quotes, so blanks show), group ID, key and RF channel. When
more than one transceiver answers, shows each and whether they differ.
Without an answer it says which of three things happened (JSON "error"):
no_echo (nothing came back: wrong port or speed, or no bus), no_reply (the
bus echoed, the transceiver did not answer), bad_checksum (garbled replies:
wrong speed or noise). A value out of range (a garbled or foreign reply)
is marked so.

)" + bus + R"(  --timeout MS     how long to wait for the reply (1000)
  -j, --json       one JSON object instead of text
)" + kExitCodes;
    if (command == "set")
        return R"(Usage: brenvik-cli set [-p PORT] [--name TEXT] [--channel N] [--key N]
                       [--no-verify] [-j]

Writes new settings. Every value is checked first; if any is wrong nothing
is sent. A Get comes first, so settings not given keep their values; then
the four writes go out as the program sends them (name, channel, group ID,
key), and a second Get checks that the transceiver holds them. A value the
transceiver answered out of range is never written back unless given anew
(exit 1, nothing written). Cut short (Ctrl+C, a device that goes away), it
says which of the four writes went out.

)" + bus + R"(  --timeout MS     how long to wait for each reply (1000)
  --name TEXT      group name, 1 to 8 printable characters
  --channel N      RF channel, 11 to 26
  --key N          password key, 0 to 9999
  --verify         read back and compare (the default)
  --no-verify      do not read back
  -j, --json       one JSON object: what was written, each write sent or
                   not, and the read-back
The group ID cannot be written.
)" + kExitCodes;
    if (command == "scan")
        return R"(Usage: brenvik-cli scan [-p PORT] [--seconds N] [--csv FILE] [-j]

Queries the signal level of one channel per interval, channels 11 to 26
round and round, then shows per channel the samples, last, peak and average
level, the quietest channels first, and which 2.4 GHz Wi-Fi channels
overlap each one. Ctrl+C stops early and reports what was measured;
so does a device that goes away (exit 3).
Do not use the throttles during a scan.

)" + bus + R"(  --timeout MS     how long to wait for the last reply (1000)
  --seconds N      length of the scan in seconds, tenths allowed (60)
  --interval MS    time between queries (200)
  --csv FILE       also write the table to FILE as CSV, replacing it only
                   once the scan has ended; a folder, or a place where no
                   file can be written, is refused before the scan starts
                   (exit 1); --csv - writes CSV to stdout instead of the
                   table
  -j, --json       one JSON object instead of the table
)" + kExitCodes;
    if (command == "monitor")
        return R"(Usage: brenvik-cli monitor [-p PORT] [--wait] [-j]

Shows every bus message, one line each: time, bytes in hex and, for group
configuration messages, what they mean; a message dropped for a bad
checksum is shown as such. Control characters in names show as \xNN.
Runs until Ctrl+C.

)" + bus + R"(  --timeout MS     taken as by the other commands; monitor waits for no reply
  --wait           when the device is not there (a USB interface not yet
                   plugged in), wait for it to appear instead of failing
  -j, --json       one JSON object per line: time, hex, kind, words,
                   fields, echo, bad_checksum
)" + kExitCodes;
    return General();
}

} // namespace cli
