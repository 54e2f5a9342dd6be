#ifndef SETUP_ACTIONS_RESTART_H
#define SETUP_ACTIONS_RESTART_H

// Asks the system to reboot, with the shutdown privilege enabled first where there is one.
// Returns at once; whether the system agrees is not examined.
void RestartSystem();

#endif
