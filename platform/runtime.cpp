// What the compiler's code needs of a C runtime, for the Windows builds, which link none: the
// memory functions it may call for copies and clears, and the rare calls of C++ it emits. The
// host build has its C library instead. Built without turning these loops into calls of
// themselves (-fno-tree-loop-distribute-patterns).
#include "platform/platform.h"

extern "C" void *memcpy(void *to, const void *from, size_t count) {
    char *out = static_cast<char *>(to);
    const char *in = static_cast<const char *>(from);
    while (count--) *out++ = *in++;
    return to;
}

extern "C" void *memset(void *to, int value, size_t count) {
    char *out = static_cast<char *>(to);
    while (count--) *out++ = static_cast<char>(value);
    return to;
}

extern "C" int memcmp(const void *left, const void *right, size_t count) {
    const unsigned char *a = static_cast<const unsigned char *>(left), *b = static_cast<const unsigned char *>(right);
    for (; count; --count, ++a, ++b)
        if (*a != *b) return *a - *b;
    return 0;
}

// A class with a virtual destructor needs a delete, though the program allocates nothing: there
// is no operator new to link, so no pointer can ever come here.
void operator delete(void *) noexcept {}
void operator delete(void *, size_t) noexcept {}

// A call of a pure virtual function is a fault of the program's; it ends as abort() would.
extern "C" void __cxa_pure_virtual() { ExitProcess(3); }
