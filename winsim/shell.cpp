// The shell's special-folder lookup, with its allocator and item lists counted so that a test
// sees anything the program forgot to free.
#include <cstring>

#include "winsim/machine.h"

using winsim::Machine;
using winsim::ShellFailure;

namespace {

struct ItemList {
    int folder;
};

class ShellAllocator : public IMalloc {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(const void *, void **ppv) override {
        *ppv = nullptr;
        return E_FAIL;
    }
    DWORD STDMETHODCALLTYPE AddRef() override { return ++Machine::Current().allocatorReferences; }
    DWORD STDMETHODCALLTYPE Release() override {
        Machine::Current().Record("IMalloc::Release()");
        return --Machine::Current().allocatorReferences;
    }
    void *STDMETHODCALLTYPE Alloc(size_t) override { return nullptr; }
    void *STDMETHODCALLTYPE Realloc(void *, size_t) override { return nullptr; }
    void STDMETHODCALLTYPE Free(void *pv) override {
        Machine &m = Machine::Current();
        m.Record("IMalloc::Free()");
        if (!pv) return;
        delete static_cast<ItemList *>(pv);
        --m.itemListsOutstanding;
    }
    size_t STDMETHODCALLTYPE GetSize(void *) override { return 0; }
    int STDMETHODCALLTYPE DidAlloc(void *) override { return -1; }
    void STDMETHODCALLTYPE HeapMinimize() override {}
};

ShellAllocator g_allocator;

}  // namespace

HRESULT WINAPI SHGetMalloc(LPMALLOC *ppMalloc) {
    Machine &m = Machine::Current();
    if (m.shellFailure == ShellFailure::Allocator) {
        *ppMalloc = nullptr;
        m.Record("SHGetMalloc() = E_FAIL");
        return E_FAIL;
    }
    ++m.allocatorReferences;
    *ppMalloc = &g_allocator;
    m.Record("SHGetMalloc() = S_OK");
    return S_OK;
}

HRESULT WINAPI SHGetSpecialFolderLocation(HWND, int nFolder, LPITEMIDLIST *ppidl) {
    Machine &m = Machine::Current();
    *ppidl = nullptr;
    if (m.shellFailure == ShellFailure::Location || nFolder != CSIDL_PROGRAMS) {
        m.Record("SHGetSpecialFolderLocation(" + std::to_string(nFolder) + ") = E_FAIL");
        return E_FAIL;
    }
    ++m.itemListsOutstanding;
    *ppidl = reinterpret_cast<LPITEMIDLIST>(new ItemList{nFolder});
    m.Record("SHGetSpecialFolderLocation(" + std::to_string(nFolder) + ") = S_OK");
    return S_OK;
}

BOOL WINAPI SHGetPathFromIDListA(LPCITEMIDLIST pidl, LPSTR pszPath) {
    Machine &m = Machine::Current();
    // The shell writes up to MAX_PATH characters, the terminating zero included.
    if (!pidl || m.shellFailure == ShellFailure::Path || m.programsFolder.size() >= MAX_PATH) {
        if (pszPath) pszPath[0] = '\0';
        m.Record("SHGetPathFromIDListA() = 0");
        return FALSE;
    }
    std::memcpy(pszPath, m.programsFolder.c_str(), m.programsFolder.size() + 1);
    m.Record("SHGetPathFromIDListA() = 1");
    return TRUE;
}
