// How a Win32 implementation answers the calls the program relies on. The driver reports it
// from Wine, and the host tests from the simulated machine, against the same table.
#ifndef SETUP_E2E_PLATFORM_FACTS_H
#define SETUP_E2E_PLATFORM_FACTS_H

void PlatformFacts(void (*report)(const char *key, const char *value));

#endif
