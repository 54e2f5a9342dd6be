// What the procedures tell the user, word for word. The texts need nothing of the program's code,
// so the medium's layout quotes these same ones.
#ifndef SETUP_PROCEDURES_MESSAGES_H
#define SETUP_PROCEDURES_MESSAGES_H

// Byte-aligned: the compiler would pad each text to its own boundary, and the program is at its
// size limit.
alignas(1) inline constexpr char ErrorCaption[] = "Error";
alignas(1) inline constexpr char SuccessCaption[] = "Warning";
alignas(1) inline constexpr char UnknownVersionRefused[] = "Unknow Windows Version";
alignas(1) inline constexpr char NtServerRefused[] = "The Version not support Windows NT Server";
alignas(1) inline constexpr char Windows2000ServerRefused[] = "The Version not support Windows 2000 Server";
alignas(1) inline constexpr char SourceFileOneMissing[] = "Soure File One not found";
alignas(1) inline constexpr char SourceFileOneMissingNt4[] = "Soure File one not found";
alignas(1) inline constexpr char SourceFileTwoMissing[] = "Soure File Two not found";
alignas(1) inline constexpr char SourceFileTowMissing[] = "Soure File Tow not found";
alignas(1) inline constexpr char SourceFileTreeMissing[] = "Soure File Tree not found";
alignas(1) inline constexpr char SourceFileOneOneMissing[] = "Soure File One-1 not found";
alignas(1) inline constexpr char SourceFileOneTwoMissing[] = "Soure File One-2 not found";
alignas(1) inline constexpr char RegistryRefused[] = "Setup cannot write the registry";
// On NT, for a user who may not place drivers.
alignas(1) inline constexpr char AdministratorRightsNeeded[] =
    "Setup needs the rights of an administrator to install or remove the card's drivers. Log on as an "
    "administrator and start Setup again.";
alignas(1) inline constexpr char CannotWritePrefix[] = "Setup cannot write ";
alignas(1) inline constexpr char CannotRemovePrefix[] = "Setup cannot remove ";
// A file refused by the medium's manifest: this prefix, the file, and why.
alignas(1) inline constexpr char CannotUsePrefix[] = "Setup cannot use ";
alignas(1) inline constexpr char MediumFileDamagedReason[] = ": the file on the medium is damaged";
alignas(1) inline constexpr char MediumFileUnlistedReason[] = ": MANIFEST.TXT does not list it";
alignas(1) inline constexpr char ManifestUnreadableReason[] = ": MANIFEST.TXT cannot be read";
alignas(1) inline constexpr char InstallSucceeded[] = "Install OK !! System will be restart .......";
alignas(1) inline constexpr char UninstallSucceeded[] = "Uninstall OK !! System will be restart .......";

// `prefix`, `path` and a `reason` of at most 63 characters, in a buffer that the next call reuses.
const char *NamingPath(const char *prefix, const char *path, const char *reason = "");

// The refusal for a version code that no branch takes.
const char *RefusalFor(int versionCode);

#endif
