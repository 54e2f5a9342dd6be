// The four path buffers through which the procedures name files, the loads that fill the two
// directory buffers, the composition of a path from a directory and a name, and the one way a
// file is placed: copied from the medium, never over an existing file.
#ifndef SETUP_ACTIONS_PATHS_H
#define SETUP_ACTIONS_PATHS_H

#include "platform/platform.h"

enum { PathBufferSize = 256 };

// The folder on drive C: where the program's own tools go.
extern const char ToolFolder[];

extern char SourcePath[PathBufferSize];
extern char DestinationPath[PathBufferSize];
extern char SystemDirectory[PathBufferSize];
extern char ProgramsFolder[PathBufferSize];

// Puts `path` into `buffer` whole; refuses (0, buffer emptied) a path that does not fit.
int SetPath(char (&buffer)[PathBufferSize], const char *path);

// Appends `suffix` (which begins with its own backslash) to the directory in `buffer`, in
// place. Refuses (0, buffer unchanged) when the buffer holds no directory or the result would
// not fit: a cut-off path must never name a file.
int AppendToPath(char (&buffer)[PathBufferSize], const char *suffix);

// The last backslash of `path`, or null. Paths are read a character at a time: the second byte
// of a double-byte character can be a backslash's.
char *LastBackslash(char *path);

// Fills SystemDirectory; 0, with the buffer empty, when the directory does not fit it.
int LoadSystemDirectory();

// Fills ProgramsFolder with the Start menu's Programs folder. Otherwise the buffer is left
// empty, and the answer says why: the shell could not say, or the path does not fit.
enum { ProgramsFolderTooLong = -1, ProgramsFolderUnknown = 0, ProgramsFolderFound = 1 };
int LoadProgramsFolder();

// What a file is copied under, in its destination's folder, until it is whole there; with its
// backslash.
extern const char WorkCopyName[];

// Takes away a work file left by a run that was cut off, whatever its attributes (Windows will
// not make a file anew over a hidden or system one).
void ClearWorkFile(const char *path);

// Copies SourcePath to DestinationPath unless the destination exists: to a work copy in the
// destination's folder first, flushed to the disk, held to the manifest's entry for
// `mediumFile` where one is named (actions/manifest.h), and only then given its name, so a file
// under that name is always whole. CopySourceMissing (0) when the source cannot be opened for
// reading (nothing is attempted); otherwise what became of the copy, and in `check`, where
// given, how it compared with the entry (MediumFileIntact where it was compared with none).
// Whatever fails part-way leaves no work copy. The install judges the step by whether the
// destination is there afterwards.
enum { CopySourceMissing = 0, CopyDone, CopyKept, CopyRefused, CopySourceUnreadable, CopyRejected };
int CopyIfPresent(LPCSTR mediumFile = nullptr, int *check = nullptr);

#endif
