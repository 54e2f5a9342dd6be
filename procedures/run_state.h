// What one run of the program knows, shared by the dialog and the procedures. Kept for the
// process only; nothing of it is stored.
#ifndef SETUP_PROCEDURES_RUN_STATE_H
#define SETUP_PROCEDURES_RUN_STATE_H

enum { InterfaceNone = 0, InterfaceIde = 1, InterfaceScsi = 2 };

extern int WindowsVersionCode;  // fixed when the dialog opens
extern int HddInterface;        // the last interface clicked
extern int SetupFailed;         // -1 once anything failed or was refused; never cleared

#endif
