#pragma once

#include <string_view>

// Process-wide registered message numbers: the first registration of a name
// takes the next free number from 0xC000 up, and every later registration of
// the same name returns that same number. Thread-safe.
unsigned RegisterMessageName(std::string_view name);
