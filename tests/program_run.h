// Runs the program on a simulated machine as a fresh process would: run state at zero, the
// application object's entry called once, the person at the screen acting through `script`.
#ifndef SETUP_TESTS_PROGRAM_RUN_H
#define SETUP_TESTS_PROGRAM_RUN_H

#include <functional>

#include "actions/paths.h"
#include "framework/afxwin.h"
#include "probe/probes.h"
#include "procedures/run_state.h"
#include "winsim/machine.h"

// Everything a run leaves behind in the program's globals, path buffers included.
inline void ResetRunState() {
    WindowsVersionCode = VersionUnknown;
    HddInterface = InterfaceNone;
    SetupFailed = 0;
    for (char *buffer : {SourcePath, DestinationPath, SystemDirectory, ProgramsFolder}) buffer[0] = '\0';
}

inline int RunProgram(winsim::Machine &machine, std::function<void(winsim::User &)> script) {
    ResetRunState();
    machine.user = std::move(script);
    return AfxWinMain(GetModuleHandleA(nullptr));
}

#endif
