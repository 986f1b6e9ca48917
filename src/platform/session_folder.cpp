#include "platform/session_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <utility>

#include "platform/files.h"

namespace morvel {

namespace {

constexpr const char* kSessionPrefix = "session-";

int lockedFile(const std::string& path, bool create) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0),
                          0600);
    if (fd < 0) return -1;
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) return fd;
    ::close(fd);
    return -1;
}

// Seconds since the epoch of the folder's newest content: its journal when there is one.
std::int64_t lastChange(const std::string& folder) {
    struct stat info {};
    if (::stat((folder + kSessionJournalName).c_str(), &info) != 0 &&
        ::stat(folder.c_str(), &info) != 0)
        return 0;
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::string SessionsFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    std::string folder;
    if (state && *state == '/') {
        folder = state;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || *home != '/') return {};
        folder = std::string(home) + "/.local/state";
    }
    if (folder.back() != '/') folder += '/';
    return folder + "morvel/";
}

std::optional<SessionFolder> SessionFolder::create(const std::string& sessions) {
    if (sessions.empty()) return std::nullopt;
    // Every level of the sessions folder (~/.local/state may not exist yet).
    for (std::size_t slash = sessions.find('/', 1); slash != std::string::npos;
         slash = sessions.find('/', slash + 1))
        ::mkdir(sessions.substr(0, slash).c_str(), 0700);
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const std::string name = kSessionPrefix + std::to_string(::getpid()) + "-" +
                             std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                now).count());
    const std::string path = sessions + name + "/";
    if (::mkdir(path.c_str(), 0700) != 0) return std::nullopt;
    const int fd = lockedFile(path + kSessionLockName, true);
    if (fd < 0) {
        ::rmdir(path.c_str());
        return std::nullopt;
    }
    return SessionFolder(path, fd);
}

SessionFolder::SessionFolder(SessionFolder&& other) noexcept
    : m_path(std::move(other.m_path)), m_lockFd(std::exchange(other.m_lockFd, -1)) {}

SessionFolder::~SessionFolder() {
    if (m_lockFd >= 0) ::close(m_lockFd);
}

void SessionFolder::remove() {
    if (m_path.empty()) return;
    RemoveFolderWithFiles(m_path);
    if (m_lockFd >= 0) ::close(m_lockFd);
    m_lockFd = -1;
}

std::vector<std::string> AbandonedSessions(const std::string& sessions) {
    std::vector<std::pair<std::int64_t, std::string>> found;
    for (const FolderEntry& entry : ListFolder(sessions)) {
        if (entry.isFile || entry.name.rfind(kSessionPrefix, 0) != 0 ||
            endsWith(entry.name, kDamagedSuffix))
            continue;
        const std::string folder = sessions + entry.name + "/";
        // A free lock: the program that held it is gone.
        const int fd = lockedFile(folder + kSessionLockName, false);
        if (fd < 0) continue;
        ::close(fd);
        found.emplace_back(lastChange(folder), folder);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a > b; });
    std::vector<std::string> folders;
    for (auto& [time, folder] : found) folders.push_back(std::move(folder));
    return folders;
}

void RemoveFolderWithFiles(const std::string& folder) {
    for (const FolderEntry& entry : ListFolder(folder)) ::unlink((folder + entry.name).c_str());
    ::rmdir(folder.c_str());
}

}  // namespace morvel
