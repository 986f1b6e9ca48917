#include "platform/private_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace morvel {

namespace {

bool ownedFolder(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadOwnFile(const std::string& path,
                                                     std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::optional<std::vector<std::uint8_t>> bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
        info.st_size >= 0 && static_cast<std::uint64_t>(info.st_size) <= maxBytes) {
        try {
            bytes.emplace(static_cast<std::size_t>(info.st_size));
            std::size_t done = 0;
            while (done < bytes->size()) {
                const ssize_t got = ::read(fd, bytes->data() + done, bytes->size() - done);
                if (got < 0 && errno == EINTR) continue;
                if (got <= 0) break;
                done += static_cast<std::size_t>(got);
            }
            if (done != bytes->size()) bytes.reset();
        } catch (const std::bad_alloc&) {
            bytes.reset();
        }
    }
    ::close(fd);
    return bytes;
}

bool MakePrivateFolder(const std::string& path) {
    if (path.empty()) return false;
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        ::mkdir(path.substr(0, slash).c_str(), 0700);  // fails harmlessly where one exists
    }
    ::mkdir(path.c_str(), 0700);
    return ownedFolder(path);
}

bool WritePrivateFile(const std::string& folder, const std::string& name,
                      std::span<const std::uint8_t> bytes) {
    const std::string target = folder + "/" + name;
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 &&
        (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid())) {
        return false;
    }
    std::string temporary = folder + "/." + name + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // 0600, never an existing file
    if (fd < 0) return false;
    const bool written = writeAll(fd, bytes);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace morvel
