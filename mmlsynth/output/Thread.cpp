// The thread's entry, shared by the standard-library and the Win32 thread wrappers.
#include "Thread.h"

namespace tonwerkel {

void TThread::Run() {
    try {
        Execute();
    } catch (...) {
    }
    try {
        DoTerminate();
    } catch (...) {
    }
}

}  // namespace tonwerkel
