// Files read and written a buffer at a time through Win32 handles: the program's streams, with
// no C runtime underneath. Bytes go through as they are; line ends are the caller's business.
#ifndef SETUP_PLATFORM_BUFFERED_FILE_H
#define SETUP_PLATFORM_BUFFERED_FILE_H

#include "platform/platform.h"

enum { FileBufferSize = 512 };

// Reads an existing file from its start. Others may read and write it meanwhile.
class CFileReader {
public:
    enum { End = -1 };
    CFileReader() = default;
    ~CFileReader() { Close(); }
    CFileReader(const CFileReader &) = delete;
    CFileReader &operator=(const CFileReader &) = delete;

    BOOL Open(LPCSTR path);
    BOOL IsOpen() const { return m_file != INVALID_HANDLE_VALUE; }
    // The next byte (0 to 255); End at the end of the file, and from a failed read on.
    int Get();
    // The byte that Get returns next, left unread.
    int Peek();
    // Whether a read failed: the file was not read to its end.
    BOOL Failed() const { return m_failed; }
    void Close();

private:
    BOOL Fill();
    HANDLE m_file = INVALID_HANDLE_VALUE;
    BYTE m_buffer[FileBufferSize];
    DWORD m_length = 0;  // bytes in the buffer
    DWORD m_next = 0;    // the next of them to hand out
    BOOL m_failed = FALSE;
};

// Writes a file from its start (Create) or after what it holds (Append). A writer that is not
// open, or whose write failed, takes every byte and writes none of them.
class CFileWriter {
public:
    CFileWriter() = default;
    ~CFileWriter() { Close(); }
    CFileWriter(const CFileWriter &) = delete;
    CFileWriter &operator=(const CFileWriter &) = delete;

    // A new, empty file in the place of any old one; others may read and write it meanwhile.
    BOOL Create(LPCSTR path);
    // The file made if it is missing, else kept and written at its end; others may only read it.
    BOOL Append(LPCSTR path);
    BOOL IsOpen() const { return m_file != INVALID_HANDLE_VALUE; }
    void Put(char c);
    void Write(LPCSTR text);  // up to its terminating zero
    // Hands the buffered bytes to the system; FALSE once any write has failed.
    BOOL Flush();
    // Flushes and closes; TRUE when every byte was written.
    BOOL Close();
    // Closes once every byte is on the disk itself, not just handed to the system: for a file
    // that is to take another's place.
    BOOL Commit();

private:
    BOOL Open(LPCSTR path, DWORD share, DWORD disposition);
    HANDLE m_file = INVALID_HANDLE_VALUE;
    char m_buffer[FileBufferSize];
    DWORD m_length = 0;
    BOOL m_failed = TRUE;  // until opened
};

#endif
