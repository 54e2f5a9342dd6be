// The seam between the program and the system: every Win32 call that the program makes is
// declared through this header. The Windows builds get the real system headers; the host build
// gets the simulated machine, which answers the same calls with Windows' semantics. Strings
// are KERNEL32's lstr* functions; of the C library only memcpy, memset and memcmp are used,
// which the compiler may call on its own too.
#ifndef SETUP_PLATFORM_PLATFORM_H
#define SETUP_PLATFORM_PLATFORM_H

#include <string.h>

#ifdef _WIN32
#include <windows.h>

// These need windows.h's types, so they come after it.
#include <commctrl.h>
#include <shlobj.h>
#else
#include "winsim/win32.h"
#endif

#endif
