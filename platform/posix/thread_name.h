#pragma once
// Names the calling thread (at most 15 bytes), as ps, top and /proc/<pid>/task/<tid>/comm show
// it: the benchmarks count system calls and wake-ups thread by thread under these names.

#include <pthread.h>

namespace platform {

inline void NameThisThread(const char* name) {
    // A name that is too long is refused: the thread keeps the program's name.
    ::pthread_setname_np(::pthread_self(), name);
}

}  // namespace platform
