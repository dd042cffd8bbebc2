#include "platform/FileRead.h"

#include <cerrno>

FileRead ReadWholeFile(const char* path, std::string& bytes, size_t maxBytes)
{
    bytes.clear();
    std::FILE* file = OpenFileForReading(path);
    if (!file)
        return FileRead::CannotOpen;
    // A plain file tells its size: one allocation, and a file far too long
    // is refused unread. (A directory's end can be any number.)
    if (IsRegularFile(file) && std::fseek(file, 0, SEEK_END) == 0) {
        const long end = std::ftell(file);
        if (end > 0 && static_cast<unsigned long>(end) > maxBytes) {
            std::fclose(file);
            return FileRead::TooLarge;
        }
        if (end > 0)
            bytes.reserve(static_cast<size_t>(end));
        std::rewind(file);
    }
    char chunk[65536];
    size_t got;
    while (bytes.size() <= maxBytes && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    const int readError = std::ferror(file) ? errno : 0;
    std::fclose(file);
    if (readError != 0) {
        errno = readError;
        return FileRead::CannotRead;
    }
    return bytes.size() > maxBytes ? FileRead::TooLarge : FileRead::Ok;
}
