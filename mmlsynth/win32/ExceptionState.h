// The C++ runtime's per-thread exception state, kept by tonwerkel.dll itself so that freeing
// the library releases it (see ExceptionState.cpp).
#pragma once

namespace tonwerkel {

// Frees every thread's record, the TLS index and the runtime's emergency arena. Only when the
// library is freed while the process goes on: no thread may be inside the library any more.
void ReleaseExceptionState();

}  // namespace tonwerkel
