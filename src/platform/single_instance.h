#pragma once

#include <string>

namespace morvel {

// The name that marks a running instance of the window program.
constexpr const char* kInstanceName = "Zentor Frame Manipulator";

// The folder that holds the instance lock: the user's runtime folder (XDG_RUNTIME_DIR), else the
// temporary folder. Ends with "/".
std::string InstanceLockFolder();

// An advisory lock (flock) on the file "<name>.lock" in a folder, held while the object lives.
// The system drops it when the process ends in any way, so a crashed instance never blocks a
// later start. Not inherited by programs this process starts.
class InstanceLock {
public:
    InstanceLock(const std::string& folder, const std::string& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when another holder has the lock: another instance is running. A lock file that
    // cannot be opened at all counts as no other instance.
    bool heldElsewhere() const { return m_heldElsewhere; }

private:
    int m_fd = -1;
    bool m_heldElsewhere = false;
};

}  // namespace morvel
