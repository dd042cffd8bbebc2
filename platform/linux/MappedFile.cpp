#include "platform/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

bool MappedFile::Map(const char* path)
{
    const int descriptor = ::open(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    struct stat info {};
    if (::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        void* mapped = ::mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, descriptor, 0);
        if (mapped != MAP_FAILED) {
            data = static_cast<const uint8_t*>(mapped);
            size = size_t(info.st_size);
        }
    }
    // The mapping keeps the file's pages reachable without the descriptor.
    ::close(descriptor);
    return data != nullptr;
}

MappedFile::~MappedFile()
{
    if (data != nullptr)
        ::munmap(const_cast<uint8_t*>(data), size);
}
