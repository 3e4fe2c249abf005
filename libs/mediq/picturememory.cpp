#include "picturememory.h"

#include <cstdlib>  // defines __GLIBC__ with the C library's own headers

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void KeepPictureMemory()
{
#if defined(__GLIBC__)
    // Blocks below 32 MiB (the most the C library allows; a 3840 x 2160 bitmap is 24 MiB) come
    // from the heap, and up to 128 MiB of free memory at its top stays with the process rather
    // than going back at every release.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
}
