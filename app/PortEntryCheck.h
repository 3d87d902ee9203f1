#pragma once

#include <string>
#include <string_view>

// What Port Selection makes of a device path, /dev/serial/by-id/ name or
// rfc2217:// / tcp:// URL typed or picked for a COM number, before OK
// stores it: a device must be there and be a serial device; a URL must
// parse, and the interface is tried with a short time-out. A
// device or interface another program holds is usable: it is the right one,
// only busy now.
struct PortEntryVerdict {
    bool usable = false;
    // What to store: the text (a COM name: the device it stands for).
    std::string entry;
    // What the check found, in words: why the entry is refused, or how the
    // device or interface answered.
    std::string answer;
};

// `text` is the entry without blanks around it; nothing left is refused.
PortEntryVerdict CheckPortEntry(std::string_view text);
