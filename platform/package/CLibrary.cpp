#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <sys/random.h>

// The static C++ runtime brings its std::random_device along with its string
// exceptions, and that names arc4random, which the C library only has from
// 2.36 on. The player never asks it for a number; defining it here keeps the
// package running on 2.35 (Ubuntu 22.04) without that one symbol.
extern "C" uint32_t arc4random() noexcept
{
    uint32_t value = 0;
    while (getrandom(&value, sizeof value, 0) < 0 && errno == EINTR) {
    }
    return value;
}
