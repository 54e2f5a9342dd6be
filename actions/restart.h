#ifndef SETUP_ACTIONS_RESTART_H
#define SETUP_ACTIONS_RESTART_H

// Asks the system to reboot, with the shutdown privilege enabled first where there is one.
// Returns at once: nonzero when the system took the request, 0 when it refused it.
int RestartSystem();

#endif
