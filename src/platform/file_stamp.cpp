#include "platform/file_stamp.h"

#include <sys/stat.h>

namespace morvel {

FileStamp StampOf(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return {};
    return {static_cast<long long>(info.st_mtim.tv_sec),
            static_cast<long long>(info.st_mtim.tv_nsec), static_cast<long long>(info.st_size),
            static_cast<unsigned long long>(info.st_ino)};
}

}  // namespace morvel
