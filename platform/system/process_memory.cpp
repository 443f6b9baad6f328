#include "platform/system/process_memory.h"

#include <cstdlib>  // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void KeepFreedMemory() {
#if defined(__GLIBC__)
  // Up to 64 MB free at the top of the heap stay; a large table still goes back.
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_TOP_PAD, 16 << 20);
#endif
}

}  // namespace platform
