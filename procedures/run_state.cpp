#include "procedures/run_state.h"

int WindowsVersionCode = 0;
int HddInterface = InterfaceNone;
int SetupFailed = 0;
