// What the procedures tell the user, word for word. The texts need nothing of the program's code,
// so the medium's layout quotes these same ones.
#ifndef SETUP_PROCEDURES_MESSAGES_H
#define SETUP_PROCEDURES_MESSAGES_H

inline constexpr char ErrorCaption[] = "Error";
inline constexpr char SuccessCaption[] = "Warning";
inline constexpr char UnknownVersionRefused[] = "Unknow Windows Version";
inline constexpr char NtServerRefused[] = "The Version not support Windows NT Server";
inline constexpr char Windows2000ServerRefused[] = "The Version not support Windows 2000 Server";
inline constexpr char SourceFileOneMissing[] = "Soure File One not found";
inline constexpr char SourceFileOneMissingNt4[] = "Soure File one not found";
inline constexpr char SourceFileTwoMissing[] = "Soure File Two not found";
inline constexpr char SourceFileTowMissing[] = "Soure File Tow not found";
inline constexpr char SourceFileTreeMissing[] = "Soure File Tree not found";
inline constexpr char SourceFileOneOneMissing[] = "Soure File One-1 not found";
inline constexpr char SourceFileOneTwoMissing[] = "Soure File One-2 not found";
inline constexpr char RegistryRefused[] = "Setup cannot write the registry";
// On NT, for a user who may not place drivers.
inline constexpr char AdministratorRightsNeeded[] =
    "Setup needs the rights of an administrator to install or remove the card's drivers. Log on as an "
    "administrator and start Setup again.";
inline constexpr char CannotWritePrefix[] = "Setup cannot write ";
inline constexpr char CannotRemovePrefix[] = "Setup cannot remove ";
// A file refused by the medium's manifest: this prefix, the file, and why (as the log's step
// ends too).
inline constexpr char CannotUsePrefix[] = "Setup cannot use ";
inline constexpr char MediumFileDamagedReason[] = "the file on the medium is damaged";
inline constexpr char MediumFileUnlistedReason[] = "MANIFEST.TXT does not list it";
inline constexpr char ManifestUnreadableReason[] = "MANIFEST.TXT cannot be read";
inline constexpr char InstallSucceeded[] = "Install OK !! System will be restart .......";
inline constexpr char UninstallSucceeded[] = "Uninstall OK !! System will be restart .......";

// `prefix` and `path`, then, where one is given, ": " and a `reason` of at most 61 characters, in a
// buffer that the next call reuses.
const char *NamingPath(const char *prefix, const char *path, const char *reason = nullptr);

// The refusal for a version code that no branch takes.
const char *RefusalFor(int versionCode);

#endif
