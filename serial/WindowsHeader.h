#pragma once

// <windows.h> as every file here reads it: lean, and without the min and max
// macros that break std::min and std::max. Empty elsewhere.
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif
