// Where the C++ runtime keeps, for each thread, the exceptions it is handling, and the
// release of its emergency exception arena.
//
// The runtime's own copy lives in emulated thread-local storage. Its first use registers the
// thread with the statically linked POSIX-thread layer, which takes a TLS index and, per
// thread, an event, a duplicated thread handle and a record, and releases none of them when
// the module is freed. A program pays that once. This library is loaded and freed for every
// song its host tries, and each load that threw (without a sound device, every Initialize
// does) cost one of the process's 1,088 TLS indexes, until the host aborted. So this module
// replaces the runtime's two accessors, keeps the records in a TLS index of its own, and
// releases all of it when the library is freed.
//
// The runtime also allocates an emergency arena for exceptions (about 73 KB) when the module
// is loaded and frees it only on request; each load and free of the library left it behind.
#include "win32/ExceptionState.h"

#include <windows.h>

#include <cxxabi.h>

#include <atomic>
#include <cstdlib>

namespace __gnu_cxx {
void __freeres() noexcept;  // the runtime's: frees the emergency exception arena
}

namespace tonwerkel {
namespace {

// One thread's state. The runtime reads the first two words (the exceptions caught and not
// yet finished, the count of uncaught ones); all zero means "none". Two words to spare.
struct ThreadRecord {
    void* state[4];
    ThreadRecord* next;  // every record made, for the release
};

std::atomic<DWORD> g_index{TLS_OUT_OF_INDEXES};
std::atomic<ThreadRecord*> g_records{nullptr};
std::atomic<bool> g_released{false};  // after the release nothing new is taken
// Shared by every thread when no TLS index or no memory is left, and during the last steps
// of the unload: an exception still works, only two threads that handle exceptions at the
// same time would see each other's.
ThreadRecord g_fallback;

DWORD Index() {
    DWORD index = g_index.load(std::memory_order_acquire);
    if (index != TLS_OUT_OF_INDEXES) return index;
    DWORD fresh = TlsAlloc();
    if (fresh == TLS_OUT_OF_INDEXES) return fresh;
    if (!g_index.compare_exchange_strong(index, fresh, std::memory_order_acq_rel)) {
        TlsFree(fresh);  // another thread was first
        return index;
    }
    return fresh;
}

ThreadRecord* CurrentRecord() {
    DWORD lastError = GetLastError();  // callers may be between a failure and its report
    ThreadRecord* record = &g_fallback;
    DWORD index = g_released ? TLS_OUT_OF_INDEXES : Index();
    if (index != TLS_OUT_OF_INDEXES) {
        if (auto* own = static_cast<ThreadRecord*>(TlsGetValue(index))) {
            record = own;
        } else if (auto* fresh = static_cast<ThreadRecord*>(std::calloc(1, sizeof(ThreadRecord)))) {
            fresh->next = g_records.load(std::memory_order_relaxed);
            while (
                !g_records.compare_exchange_weak(fresh->next, fresh, std::memory_order_release)) {
            }
            TlsSetValue(index, fresh);
            record = fresh;
        }
    }
    SetLastError(lastError);
    return record;
}

}  // namespace

void ReleaseExceptionState() {
    g_released = true;
    DWORD index = g_index.exchange(TLS_OUT_OF_INDEXES);
    if (index != TLS_OUT_OF_INDEXES) TlsFree(index);
    ThreadRecord* record = g_records.exchange(nullptr);
    while (record) {
        ThreadRecord* next = record->next;
        std::free(record);
        record = next;
    }
    __gnu_cxx::__freeres();
}

}  // namespace tonwerkel

// The runtime's accessors, resolved to these definitions when the library is linked.
namespace __cxxabiv1 {

extern "C" __cxa_eh_globals* __cxa_get_globals() noexcept {
    return reinterpret_cast<__cxa_eh_globals*>(tonwerkel::CurrentRecord());
}

extern "C" __cxa_eh_globals* __cxa_get_globals_fast() noexcept {
    return reinterpret_cast<__cxa_eh_globals*>(tonwerkel::CurrentRecord());
}

}  // namespace __cxxabiv1
