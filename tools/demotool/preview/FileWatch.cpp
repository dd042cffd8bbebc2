#include "tools/demotool/preview/FileWatch.h"

#include <filesystem>

FileStamp StampOf(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status))
        return {};
    FileStamp stamp;
    stamp.exists = true;
    const auto modified = std::filesystem::last_write_time(path, error);
    if (!error)
        stamp.modified = int64_t(modified.time_since_epoch().count());
    if (std::filesystem::is_regular_file(status)) {
        const auto size = std::filesystem::file_size(path, error);
        if (!error)
            stamp.size = uint64_t(size);
    }
    return stamp;
}

void FileWatch::Watch(const std::string& path)
{
    for (const Entry& entry : entries)
        if (entry.path == path)
            return;
    entries.push_back({path, StampOf(path)});
}

std::string FileWatch::ChangedFile() const
{
    for (const Entry& entry : entries)
        if (!(StampOf(entry.path) == entry.stamp))
            return entry.path;
    return {};
}
