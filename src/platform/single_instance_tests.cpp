#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::TempFolder;

// A child process that takes the lock, reports over a pipe whether it got it, and then waits
// until it is told to end (or is killed).
class LockingChild {
public:
    LockingChild(const std::string& folder, const std::string& name) {
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) std::abort();
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            InstanceLock lock(folder, name);
            const char got = lock.heldElsewhere() ? 'n' : 'y';
            if (::write(ready[1], &got, 1) != 1) ::_exit(2);
            char ignored;
            while (::read(release[0], &ignored, 1) < 0 && errno == EINTR) {
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        m_release = release[1];
        char got = 0;
        if (::read(ready[0], &got, 1) == 1) m_gotLock = got == 'y';
        ::close(ready[0]);
    }
    ~LockingChild() {
        if (m_pid > 0) kill(SIGKILL);
    }
    bool gotLock() const { return m_gotLock; }
    void end() {
        ::close(m_release);
        wait();
    }
    void kill(int signal) {
        ::kill(m_pid, signal);
        wait();
    }

private:
    void wait() {
        int status;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_gotLock = false;
};

TEST(InstanceLock, SecondHolderIsRefusedWhileTheFirstRunsAndAllowedAfterItEnds) {
    TempFolder folder;
    for (const int endSignal : {0, SIGKILL, SIGSEGV}) {
        SCOPED_TRACE(endSignal);
        LockingChild first(folder.path(), kInstanceName);
        ASSERT_TRUE(first.gotLock());
        EXPECT_TRUE(InstanceLock(folder.path(), kInstanceName).heldElsewhere());
        // Another name is another program.
        EXPECT_FALSE(InstanceLock(folder.path(), "Another Program").heldElsewhere());
        if (endSignal == 0) {
            first.end();
        } else {
            first.kill(endSignal);
        }
        EXPECT_FALSE(InstanceLock(folder.path(), kInstanceName).heldElsewhere());
    }
}

TEST(InstanceLock, RefusesAChildWhileThisProcessHoldsIt) {
    TempFolder folder;
    InstanceLock mine(folder.path(), kInstanceName);
    ASSERT_FALSE(mine.heldElsewhere());
    LockingChild second(folder.path(), kInstanceName);
    EXPECT_FALSE(second.gotLock());
}

TEST(InstanceLock, AFolderThatCannotHoldTheFileCountsAsNoOtherInstance) {
    EXPECT_FALSE(InstanceLock("/nonexistent-folder/", kInstanceName).heldElsewhere());
}

TEST(InstanceLock, LockFolderIsTheRuntimeFolderElseTheTemporaryFolder) {
    TempFolder folder;
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string old = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
    EXPECT_EQ(InstanceLockFolder(), folder.path());
    ::unsetenv("XDG_RUNTIME_DIR");
    const std::string fallback = InstanceLockFolder();
    EXPECT_FALSE(fallback.empty());
    EXPECT_EQ(fallback.back(), '/');
    if (saved) ::setenv("XDG_RUNTIME_DIR", old.c_str(), 1);
}

}  // namespace
}  // namespace morvel
