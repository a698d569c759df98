#pragma once

#include <string>

namespace plat {

// Keeps the program to one running copy per user: an exclusive, non-blocking
// flock on "<UserRuntimeFolder()><name>.lock". The descriptor is close-on-exec,
// so a program started by the holder never inherits the lock, and the kernel
// frees it when the holder dies, however it dies. The lock file itself stays:
// removing it could let two copies lock two different files.
class InstanceLock {
public:
    // AlreadyHeld is the counterpart of the system error 183 (the name
    // already exists); Failed covers everything else (no usable runtime
    // folder, a bad name, an I/O error).
    enum class Result { Acquired = 0, AlreadyHeld = 183, Failed = -1 };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // `name` must be a plain file name (no '/', not "." or "..", at most 200
    // bytes). Releases a lock this object already holds first.
    Result Acquire(const std::string& name);
    // Unlocks and closes; harmless when nothing is held.
    void Release();
    bool Held() const { return fd_ >= 0; }

    // The file Acquire(name) would lock; empty when there is no usable
    // runtime folder or the name is not acceptable.
    static std::string PathFor(const std::string& name);

private:
    int fd_ = -1;
};

} // namespace plat
