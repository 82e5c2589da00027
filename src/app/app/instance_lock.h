#pragma once
// The single-instance lock: one running copy per user session. It is a lock
// file held with flock, which the operating system releases when the process
// ends in any way, so a crashed copy never blocks the next start. The file
// lives in the runtime folder ($XDG_RUNTIME_DIR, else the temporary folder
// with the user id in the name) under the lock's fixed name.
#include <string>

class InstanceLock {
public:
    enum class Result {
        Acquired,      // this process is the only copy
        HeldElsewhere, // another process holds the lock
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
