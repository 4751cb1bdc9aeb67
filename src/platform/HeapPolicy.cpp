#include "platform/HeapPolicy.h"

#include <malloc.h>

namespace HeapPolicy {

void returnLargeBlocks()
{
#ifdef __GLIBC__
    // glibc raises its threshold for mapped blocks to the largest one freed so far, so that after the first
    // sort every block of keys comes from the heap and stays there once freed. A fixed threshold keeps them
    // mapped and unmapped; below a megabyte, where the blocks are many and a fresh page costs more than
    // the memory, they stay with the heap.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
#endif
}

} // namespace HeapPolicy
