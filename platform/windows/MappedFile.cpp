#include "platform/MappedFile.h"

// The build defines these for the GL headers; windows.h defines them itself.
#undef APIENTRY
#undef CALLBACK
#undef WINGDIAPI
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

bool MappedFile::Map(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER fileSize{};
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &fileSize) && fileSize.QuadPart > 0) {
        // The view keeps the mapping and the file open until it is unmapped.
        if (HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr)) {
            data = static_cast<const uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
            size = data != nullptr ? size_t(fileSize.QuadPart) : 0;
            CloseHandle(mapping);
        }
    }
    CloseHandle(file);
    return data != nullptr;
}

MappedFile::~MappedFile()
{
    if (data != nullptr)
        UnmapViewOfFile(data);
}
