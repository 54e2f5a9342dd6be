// The file handles that the program holds: each one's file, access and position. The files
// themselves, and who has each open, are the tree's (files.h); a handle tells it when it opens
// and closes.
#ifndef SETUP_WINSIM_FILE_HANDLES_H
#define SETUP_WINSIM_FILE_HANDLES_H

#include <map>
#include <string>

#include "winsim/files.h"
#include "winsim/win32.h"

namespace winsim {

// A file handle that the program holds: the file, how it was opened, and where the next read
// or write begins.
struct OpenFile {
    std::string path;  // as the program named it
    std::string host;
    DWORD access;
    DWORD share;
    size_t position = 0;
};

class FileHandles {
public:
    explicit FileHandles(FileSystem &tree) : m_tree(tree) {}

    HANDLE OpenHandle(const OpenFile &file);
    OpenFile *FileOf(HANDLE handle);  // null for a handle it does not hold
    bool CloseFile(HANDLE handle);    // false when it is none
    int OpenFileHandles() const { return static_cast<int>(m_openFiles.size()); }
    // The power back: the dead process's handles are gone.
    void CloseAllFiles();

private:
    FileSystem &m_tree;
    std::map<HANDLE, OpenFile> m_openFiles;
    uintptr_t m_lastHandle = 0x1000;
};

}  // namespace winsim

#endif
