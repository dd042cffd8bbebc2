#include "platform/FileRead.h"

#include <sys/stat.h>

std::FILE* OpenFileForReading(const char* path)
{
    return std::fopen(path, "rb");
}

bool IsRegularFile(std::FILE* file)
{
    struct stat status;
    return fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
}
