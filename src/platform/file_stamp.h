#pragma once

#include <string>

namespace morvel {

// What tells a file's contents apart without reading it: a file written again gets another.
struct FileStamp {
    long long seconds = -1;
    long long nanoseconds = 0;
    long long size = 0;
    unsigned long long inode = 0;
    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at path; the empty stamp when there is none.
FileStamp StampOf(const std::string& path);

}  // namespace morvel
