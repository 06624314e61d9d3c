#include "platform/posix/freed_memory.h"

#include <cstdlib>  // defines __GLIBC__ with the C library's other macros

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void ReturnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace platform
