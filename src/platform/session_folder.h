#pragma once

#include <optional>
#include <string>
#include <vector>

namespace morvel {

// Each running window program keeps its working files in a folder of its own under the
// sessions folder, on disk, so that they outlive a crash or a power cut. A lock file in it is
// held while the program runs; the system drops the lock however the program ends, so a folder
// whose lock is free belongs to a session that ended without tidying up.

// $XDG_STATE_HOME/morvel/ (default ~/.local/state/morvel/), ending with "/"; empty when neither
// XDG_STATE_HOME nor HOME names a folder.
std::string SessionsFolder();

class SessionFolder {
public:
    // Makes a new session folder under sessions (made as needed) and takes its lock; nothing
    // when that fails.
    static std::optional<SessionFolder> create(const std::string& sessions);

    SessionFolder(SessionFolder&& other) noexcept;
    SessionFolder& operator=(SessionFolder&&) = delete;
    SessionFolder(const SessionFolder&) = delete;
    ~SessionFolder();

    // Ends with "/".
    const std::string& path() const { return m_path; }
    // Removes every file of the folder and the folder itself: the end of an orderly session.
    void remove();

private:
    SessionFolder(std::string path, int lockFd) : m_path(std::move(path)), m_lockFd(lockFd) {}
    std::string m_path;
    int m_lockFd = -1;
};

// The session folders under sessions whose lock is free, newest first (by their last change).
// Folders set aside as damaged are not among them.
std::vector<std::string> AbandonedSessions(const std::string& sessions);

// Removes the files of a folder (one level) and the folder.
void RemoveFolderWithFiles(const std::string& folder);

// The name of a session's lock file, journal and tile log inside its folder.
constexpr const char* kSessionLockName = "lock";
constexpr const char* kSessionJournalName = "journal";
constexpr const char* kSessionTileLogName = "tiles.log";
// Added to the name of a session folder whose journal cannot be read.
constexpr const char* kDamagedSuffix = ".damaged";

}  // namespace morvel
