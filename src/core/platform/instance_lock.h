#pragma once
// The single-instance lock: one running copy per user session. It is a lock
// file held with flock, which the operating system releases when the process
// ends in any way, so a crashed copy never blocks the next start. The file
// lives in a folder of this user alone: the runtime folder
// ($XDG_RUNTIME_DIR), else "corvane" in the cache folder ($XDG_CACHE_HOME,
// else ~/.cache), made with mode 0700. No other user can create or hold it
// there; a lock file or folder found there that belongs to someone else is
// refused, never used.
#include <string>

class InstanceLock {
public:
    enum class Result {
        Acquired,      // this process is the only copy
        HeldElsewhere, // another process holds the lock
        Foreign,       // the lock file or its folder belongs to another user: refused
        Unavailable,   // no lock could be made: go on as the only copy
    };

    explicit InstanceLock(std::string name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Result Acquire();
    // Where the lock file of this name lives.
    std::string LockPath() const;

private:
    std::string m_name;
    int m_fd = -1;
};
