#include "platform/FileRead.h"

#include <windows.h>

#include <cerrno>
#include <string>
#include <sys/stat.h>

std::FILE* OpenFileForReading(const char* path)
{
    // A name that is not UTF-8 names no file: it is not guessed at.
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    std::wstring wide(length > 0 ? size_t(length) : 0, L'\0');
    if (length <= 0 || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide.data(), length) != length) {
        errno = EINVAL;
        return nullptr;
    }
    return _wfopen(wide.c_str(), L"rb");
}

bool IsRegularFile(std::FILE* file)
{
    struct _stat64 status;
    return _fstat64(_fileno(file), &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
}
