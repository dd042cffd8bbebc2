#include "platform/Memory.h"

#include <cstdio>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <unistd.h>
#endif

void ReleaseFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

size_t HeapBytesInUse()
{
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#else
    return 0;
#endif
}

size_t ResidentBytes()
{
#if defined(__linux__)
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return 0;
    unsigned long pages = 0;
    unsigned long resident = 0;
    if (std::fscanf(statm, "%lu %lu", &pages, &resident) != 2)
        resident = 0;
    std::fclose(statm);
    return size_t(resident) * size_t(sysconf(_SC_PAGESIZE));
#else
    return 0;
#endif
}
