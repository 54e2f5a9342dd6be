// What every fuzz target shares: its simulated machine, made once and reset between inputs, and
// the check of a property, whose failure is a finding that libFuzzer keeps with its input.
#ifndef SETUP_FUZZ_FUZZ_H
#define SETUP_FUZZ_FUZZ_H

#include <cstdio>
#include <cstdlib>
#include <string>

#include "winsim/machine.h"

#define FUZZ_CHECK(condition, what)                                               \
    do {                                                                          \
        if (!(condition)) {                                                       \
            std::fprintf(stderr, "property broken: %s (%s)\n", what, #condition); \
            std::abort();                                                         \
        }                                                                         \
    } while (0)

// The target's machine, fresh for this input.
inline winsim::Machine &FreshMachine() {
    static winsim::Machine machine(FUZZ_MACHINE);
    machine.Reset();
    return machine;
}

#endif
