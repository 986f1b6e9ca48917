#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/files.h"

namespace morvel {

std::string InstanceLockFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/' && IsFolder(runtime)) {
        std::string folder = runtime;
        if (folder.back() != '/') folder += '/';
        return folder;
    }
    return TemporaryFolder();
}

InstanceLock::InstanceLock(const std::string& folder, const std::string& name) {
    const std::string path = folder + name + ".lock";
    // No symbolic links: in a shared temporary folder another user could plant one.
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0) return;
    int result;
    do {
        result = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        m_heldElsewhere = errno == EWOULDBLOCK;
        ::close(m_fd);
        m_fd = -1;
    }
}

InstanceLock::~InstanceLock() {
    if (m_fd >= 0) ::close(m_fd);
}

}  // namespace morvel
