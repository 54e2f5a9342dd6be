// What the procedures tell the user, word for word.
#ifndef SETUP_PROCEDURES_MESSAGES_H
#define SETUP_PROCEDURES_MESSAGES_H

extern const char ErrorCaption[];
extern const char SuccessCaption[];
extern const char UnknownVersionRefused[];
extern const char NtServerRefused[];
extern const char Windows2000ServerRefused[];
extern const char SourceFileOneMissing[];
extern const char SourceFileOneMissingNt4[];
extern const char SourceFileTwoMissing[];
extern const char SourceFileTowMissing[];
extern const char SourceFileTreeMissing[];
extern const char SourceFileOneOneMissing[];
extern const char SourceFileOneTwoMissing[];
extern const char RegistryRefused[];
extern const char CannotWritePrefix[];
extern const char CannotRemovePrefix[];
extern const char InstallSucceeded[];
extern const char UninstallSucceeded[];

// `prefix` followed by `path`, in a buffer that the next call reuses.
const char *NamingPath(const char *prefix, const char *path);

// The refusal for a version code that no branch takes.
const char *RefusalFor(int versionCode);

class CWnd;

// A failure, in a box owned by the dialog, with the stop icon.
void ShowError(CWnd &owner, const char *text);

#endif
