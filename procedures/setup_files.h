// The files that the install and uninstall read or change, for what must never be taken for
// anything else, such as a log.
#ifndef SETUP_PROCEDURES_SETUP_FILES_H
#define SETUP_PROCEDURES_SETUP_FILES_H

// Whether `path` names, in any spelling, CONFIG.SYS or its work copies, SYSTEM.INI, a file that
// the install places or the folder it makes for them, a work copy of one (by its name, in any
// folder), a file it reads from the medium, Setup.exe itself, or the swap file that the
// uninstall deletes.
bool IsSetupFile(const char *path);

#endif
