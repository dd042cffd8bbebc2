#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How a file looked when it was last seen; any difference counts as a change,
// including a file that appears or goes away.
struct FileStamp {
    bool exists = false;
    int64_t modified = 0; // the modification time in the file system's own ticks
    uint64_t size = 0;

    bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const std::string& path);

// Watches a show's files by polling their stamps. A show names a dozen files
// at most, so looking at each of them a few times a second costs nothing and
// works on every file system.
class FileWatch {
public:
    // Remembers how the file looks now; a path watched already keeps its
    // first stamp.
    void Watch(const std::string& path);
    void Clear() { entries.clear(); }
    // The first watched file that no longer looks as it did, or empty.
    std::string ChangedFile() const;
    size_t Count() const { return entries.size(); }

private:
    struct Entry {
        std::string path;
        FileStamp stamp;
    };

    std::vector<Entry> entries;
};
