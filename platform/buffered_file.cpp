#include "platform/buffered_file.h"

BOOL CFileReader::Open(LPCSTR path) {
    Close();
    m_file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    m_length = m_next = 0;
    m_failed = FALSE;
    return IsOpen();
}

// Only a read of no bytes ends the file; a short one is just what the system had at hand.
BOOL CFileReader::Fill() {
    m_length = m_next = 0;
    if (!IsOpen() || m_failed) return FALSE;
    if (!ReadFile(m_file, m_buffer, sizeof m_buffer, &m_length, nullptr)) {
        m_length = 0;
        m_failed = TRUE;
    }
    return m_length != 0;
}

int CFileReader::Get() {
    if (m_next == m_length && !Fill()) return End;
    return m_buffer[m_next++];
}

int CFileReader::Peek() {
    if (m_next == m_length && !Fill()) return End;
    return m_buffer[m_next];
}

void CFileReader::Close() {
    if (IsOpen()) CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    m_length = m_next = 0;
}

BOOL CFileWriter::Open(LPCSTR path, DWORD share, DWORD disposition) {
    Close();
    m_file = CreateFileA(path, GENERIC_WRITE, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    m_length = 0;
    m_failed = !IsOpen();
    return IsOpen();
}

BOOL CFileWriter::Create(LPCSTR path) { return Open(path, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS); }

BOOL CFileWriter::Append(LPCSTR path) {
    // The Windows 95 family has no append access: the end is found once, and only this
    // writer may write there.
    if (Open(path, FILE_SHARE_READ, OPEN_ALWAYS) &&
        SetFilePointer(m_file, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER)
        Close();
    return IsOpen();
}

void CFileWriter::Put(char c) {
    if (m_length == sizeof m_buffer) Flush();
    m_buffer[m_length++] = c;
}

void CFileWriter::Write(LPCSTR text) {
    while (*text) Put(*text++);
}

BOOL CFileWriter::Flush() {
    DWORD written = 0;
    // A write that took fewer bytes than it was given found the disk full.
    if (!m_failed && m_length && (!WriteFile(m_file, m_buffer, m_length, &written, nullptr) || written != m_length))
        m_failed = TRUE;
    m_length = 0;
    return !m_failed;
}

BOOL CFileWriter::Close() {
    BOOL written = Flush();
    if (IsOpen() && !CloseHandle(m_file)) written = FALSE;
    m_file = INVALID_HANDLE_VALUE;
    m_failed = TRUE;
    return written;
}

BOOL CFileWriter::Commit() {
    BOOL written = Flush() && FlushFileBuffers(m_file);
    return Close() && written;
}
