// Helpers of the tests that load our libraries and look at what that leaves in the process:
// the library's imports loaded beforehand, and the process's open handles and threads counted.
#pragma once

#include <windows.h>

#include <tlhelp32.h>

namespace hgf::test {

// Loads, for good, every library that the mapped image `module` imports, so that what the
// system's libraries do when they load and unload is not counted as ours (under Wine they
// leave handles behind each time).
inline void KeepImportsLoaded(HMODULE module) {
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         imports.Size && entry->Name; ++entry) {
        LoadLibraryA(reinterpret_cast<const char*>(base + entry->Name));
    }
}

// The handles this process holds. Wine answers 0 to GetProcessHandleCount; there the valid
// handle values are counted instead.
inline DWORD OpenHandleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return count;
    DWORD flags;
    for (ULONG_PTR value = 4; value < 4 * 8192; value += 4) {
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

// The threads of this process.
inline int ThreadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

}  // namespace hgf::test
