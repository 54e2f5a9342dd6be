// The Windows entry point; the host build's tests call AfxWinMain themselves. The program links
// no C runtime, so the process starts here and this does what a runtime's start-up would: the
// static objects are made (the application object among them), the program runs, they are
// destroyed, and the process ends with the program's exit code.
#include "framework/afxwin.h"

typedef void (*StaticFunction)();

// The linker's tables of static constructors and destructors: an entry that is no function
// (-1), the functions, then a null.
extern "C" StaticFunction __CTOR_LIST__[], __DTOR_LIST__[];

namespace {

// Destructors of static objects, registered as each object is made; none is ever allocated.
StaticFunction ExitFunctions[16];
int ExitFunctionCount = 0;

}  // namespace

// Called by the compiler's code once a static object with a destructor is made. A destructor
// that finds no room does not run, as the C library's atexit refuses beyond its limit.
extern "C" int atexit(StaticFunction function) {
    if (ExitFunctionCount == sizeof ExitFunctions / sizeof ExitFunctions[0]) return -1;
    ExitFunctions[ExitFunctionCount++] = function;
    return 0;
}

// Windows calls the entry point with its stack aligned to 4 bytes only (Windows 95) or 8 (a
// call on x86-64); the program's code may rely on 16. It never returns, so the calling
// convention the system uses does not matter.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void SetupEntry() {
    // The table is run from its end: constructors of a higher priority stand later in it.
    int count = 0;
    while (__CTOR_LIST__[count + 1]) ++count;
    for (int i = count; i > 0; --i) __CTOR_LIST__[i]();
    int exitCode = AfxWinMain(GetModuleHandleA(nullptr));
    for (StaticFunction *f = __DTOR_LIST__ + 1; *f; ++f) (*f)();
    while (ExitFunctionCount > 0) ExitFunctions[--ExitFunctionCount]();
    ExitProcess(static_cast<UINT>(exitCode));
}
