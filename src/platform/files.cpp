#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <new>
#include <set>
#include <utility>

namespace morvel {

namespace {

// Closes a file descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now and tells whether the close succeeded (a full disk may show only here).
    bool closeNow() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path,
                                                       std::size_t maxBytes) {
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused right after by fstat.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > maxBytes)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(info.st_size));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (got == 0) break;  // the file shrank while we read it
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

bool WriteFileProduced(const std::string& path,
                       const std::function<bool(const FilePut& put)>& produce) {
    // Something that exists but is no regular file (a device, say) is written in place: it
    // cannot be replaced by renaming, and must never be.
    struct stat info {};
    const bool exists = ::lstat(path.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
        if (fd.get() < 0) return false;
        const FilePut put = [&](std::span<const std::uint8_t> piece) {
            return writeAll(fd.get(), piece.data(), piece.size());
        };
        return produce(put) && fd.closeNow();
    }
    // A regular file is replaced only once the new content is complete: written beside it under
    // a temporary name, then renamed over it. A full disk leaves the old file as it was.
    StagedFile staged;
    return staged.writeProduced(path, produce) && staged.commit();
}

bool WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
    return WriteFileProduced(path, [&](const FilePut& put) { return put(bytes); });
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : m_target(std::move(other.m_target)), m_temporary(std::exchange(other.m_temporary, {})) {}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
    if (this != &other) {
        discard();
        m_target = std::move(other.m_target);
        m_temporary = std::exchange(other.m_temporary, {});
    }
    return *this;
}

bool StagedFile::write(const std::string& path, std::span<const std::uint8_t> bytes) {
    return writeProduced(path, [&](const FilePut& put) { return put(bytes); });
}

std::string StagingPattern(const std::string& target) {
    return FolderPart(target) + "." + FilePart(target) + kStagingMark + "XXXXXX";
}

bool IsStagingName(const std::string& name) {
    const std::size_t mark = std::char_traits<char>::length(kStagingMark);
    if (name.size() < 1 + mark + 6 || name[0] != '.') return false;
    if (name.compare(name.size() - 6 - mark, mark, kStagingMark) != 0) return false;
    for (std::size_t i = name.size() - 6; i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    }
    return true;
}

void RemoveLeftoverStagingFiles(const std::string& folder) {
    // Once per folder: every later staging file in it is this program's own, still in use.
    static std::mutex mutex;
    static std::set<std::string> cleaned;
    const std::lock_guard<std::mutex> lock(mutex);
    if (!cleaned.insert(folder).second) return;
    for (const FolderEntry& entry : ListFolder(folder)) {
        if (entry.isFile && IsStagingName(entry.name))
            ::unlink(((folder.empty() ? "" : folder) + entry.name).c_str());
    }
}

bool StagedFile::writeProduced(const std::string& path,
                               const std::function<bool(const FilePut& put)>& produce) {
    discard();
    // A symbolic link keeps pointing where it did: the file it names is replaced.
    std::string target = path;
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    const bool exists = ::lstat(target.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) return false;
    RemoveLeftoverStagingFiles(FolderPart(target));
    std::string temporary = StagingPattern(target);
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) return false;
    const FilePut put = [&](std::span<const std::uint8_t> piece) {
        return writeAll(fd.get(), piece.data(), piece.size());
    };
    const bool written = produce(put) &&
                         ::fchmod(fd.get(), exists ? (info.st_mode & 07777) : 0644) == 0 &&
                         fd.closeNow();
    if (!written) {
        ::unlink(temporary.c_str());
        return false;
    }
    m_target = target;
    m_temporary = std::move(temporary);
    return true;
}

bool StagedFile::commit() {
    if (m_temporary.empty()) return false;
    const bool renamed = ::rename(m_temporary.c_str(), m_target.c_str()) == 0;
    if (!renamed) ::unlink(m_temporary.c_str());
    m_temporary.clear();
    return renamed;
}

void StagedFile::discard() {
    if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

bool CanWriteFile(const std::string& path) {
    if (IsFolder(path)) return false;
    std::string probe = StagingPattern(path);
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

bool CopyFileBytes(const std::string& source, const std::string& target) {
    const auto bytes = ReadFileBytes(source);
    if (!bytes) return false;
    return WriteFileBytes(target, *bytes);
}

bool LinkReadableFile(const std::string& source, const std::string& target) {
    FileDescriptor fd(::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    char* absolute = ::realpath(source.c_str(), nullptr);
    if (!absolute) return false;
    const std::string resolved = absolute;
    std::free(absolute);
    ::unlink(target.c_str());
    return ::symlink(resolved.c_str(), target.c_str()) == 0;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    return errno == EEXIST && IsFolder(path);
}

std::vector<FolderEntry> ListFolder(const std::string& folder) {
    std::vector<FolderEntry> entries;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return entries;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        std::string full = folder;
        if (!full.empty() && full.back() != '/') full += '/';
        entries.push_back({name, IsRegularFile(full + name)});
    }
    ::closedir(dir);
    return entries;
}

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return {};
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::string ExecutableFolder() {
    const std::string path = ExecutablePath();
    return path.empty() ? "./" : FolderPart(path);
}

std::string TemporaryFolder() {
    const char* fromEnvironment = std::getenv("TMPDIR");
    std::string folder = (fromEnvironment && *fromEnvironment) ? fromEnvironment : "/tmp";
    if (char* canonical = ::realpath(folder.c_str(), nullptr)) {
        folder = canonical;
        std::free(canonical);
    }
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string FolderPart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FilePart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace morvel
