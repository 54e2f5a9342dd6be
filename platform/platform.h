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

// Read-only data kept beside the code rather than in .rdata: each section is padded to 512
// bytes in the file, and the program is at its size limit. The linker puts every ".text$PART"
// into .text. GCC wants texts shared between files, a file's own texts and tables of pointers
// each in a part of their own.
#define KEPT_WITH_CODE(part) __attribute__((section(".text$" part)))

// These need windows.h's types, so they come after it.
#include <commctrl.h>
#include <shlobj.h>
#else
#include "winsim/win32.h"
#define KEPT_WITH_CODE(part)
#endif

#endif
