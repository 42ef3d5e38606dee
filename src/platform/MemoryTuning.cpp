#include "platform/MemoryTuning.h"

#include <malloc.h>

void limitMallocArenas()
{
    mallopt(M_ARENA_MAX, 2);
}

void releaseFreedMemory()
{
    malloc_trim(0);
}
