#pragma once

#include <cstddef>

// Hands the pages of freed heap memory back to the system. The C library
// keeps what a program frees for its next allocations, also where the
// freed blocks lie between live ones; a long-running process that drops
// large structures and builds them anew (the preview rebuilding a show)
// would otherwise keep the high-water mark of its heap for good.
void ReleaseFreedMemory();

// For measuring, not for deciding anything; 0 where the system cannot tell.
// Bytes the program holds on the heap right now:
size_t HeapBytesInUse();
// Bytes of the process in memory (resident), heap, code and driver alike:
size_t ResidentBytes();
