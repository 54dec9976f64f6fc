#include <pthread.h>

#include <string>

#include "platform/ThreadName.h"

namespace hgf {

void NameCurrentThread(const char* name) {
    const std::string kept = std::string(name).substr(0, 15);  // the kernel's limit
    pthread_setname_np(pthread_self(), kept.c_str());
}

}  // namespace hgf
