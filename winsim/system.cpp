// String helpers, the module, and the process: its command line, its clock and formatting.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "winsim/machine.h"

using winsim::Machine;

int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) {
    a = a ? a : "";
    b = b ? b : "";
    for (;; ++a, ++b) {
        int ca = std::tolower(static_cast<unsigned char>(*a));
        int cb = std::tolower(static_cast<unsigned char>(*b));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (!ca) return 0;
    }
}

int WINAPI lstrlenA(LPCSTR s) { return s ? static_cast<int>(std::strlen(s)) : 0; }

LPSTR WINAPI lstrcpynA(LPSTR dst, LPCSTR src, int max) {
    if (max <= 0) return dst;
    int i = 0;
    for (; i < max - 1 && src[i]; ++i) dst[i] = src[i];
    dst[i] = '\0';
    return dst;
}

BOOL WINAPI IsDBCSLeadByte(BYTE c) { return Machine::Current().LeadByte(c); }

// A lead byte takes the byte after it, unless that is the string's end.
LPSTR WINAPI CharNextA(LPCSTR s) {
    if (!*s) return const_cast<LPSTR>(s);
    bool pair = IsDBCSLeadByte(static_cast<BYTE>(*s)) && s[1];
    return const_cast<LPSTR>(s + (pair ? 2 : 1));
}

// Found from the start, as Windows does: a trail byte alone cannot tell what it is.
LPSTR WINAPI CharPrevA(LPCSTR start, LPCSTR current) {
    LPCSTR previous = start;
    for (LPCSTR p = start; p < current && *p;) {
        previous = p;
        p = CharNextA(p);
    }
    return const_cast<LPSTR>(previous);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR) { return reinterpret_cast<HMODULE>(0x400000); }

// A buffer too small takes what fits with a zero, and the answer is its size (Windows 2000 on, Wine).
DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
    Machine &m = Machine::Current();
    if (size == 0) return 0;
    bool cut = m.modulePath.size() >= size;
    DWORD length = cut ? size - 1 : static_cast<DWORD>(m.modulePath.size());
    std::memcpy(buffer, m.modulePath.c_str(), length);
    buffer[length] = '\0';
    if (cut) m.lastError = ERROR_INSUFFICIENT_BUFFER;
    return cut ? size : length;
}

LPSTR WINAPI GetCommandLineA(void) { return &Machine::Current().commandLine[0]; }

void WINAPI GetLocalTime(LPSYSTEMTIME time) { *time = Machine::Current().localTime; }

int WINAPI wvsprintfA(LPSTR buffer, LPCSTR format, va_list args) {
    int length = std::vsnprintf(buffer, 1025, format, args);
    return length > 1024 ? 1024 : length;
}
