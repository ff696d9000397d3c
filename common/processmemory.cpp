#include "common/processmemory.h"

#include <cstdlib>  // names the C library (__GLIBC__)

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void KeepLargeBlocksForReuse()
{
#if defined(__GLIBC__)
    // Blocks up to the largest text an export may make come from the heap and are
    // used again after being freed, instead of being mapped and unmapped each time.
    mallopt(M_MMAP_THRESHOLD, 512 << 20);
    // Free memory at the top of the heap goes back to the system only beyond this, so
    // that the next pass, or the next job, finds its pages ready.
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}
