#include "platform/core/own_processes.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <mutex>
#include <poll.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace plat {
namespace {

std::mutex procFolderMutex;
std::string procFolderOverride;

std::string ProcFolder()
{
    std::lock_guard<std::mutex> guard(procFolderMutex);
    return procFolderOverride.empty() ? std::string("/proc/") : procFolderOverride;
}

int PidfdOpen(int pid)
{
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

bool PidfdKill(int pidfd)
{
    return syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0) == 0;
}

bool ParsePid(const char* name, int& pid)
{
    if (name[0] < '1' || name[0] > '9')
        return false;
    long value = 0;
    for (const char* c = name; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' || value > (INT_MAX - (*c - '0')) / 10)
            return false;
        value = value * 10 + (*c - '0');
    }
    pid = static_cast<int>(value);
    return true;
}

// The file name of the process's executable; empty when it cannot be read
// (a kernel thread, a zombie, another user's process).
std::string ExecutableName(const std::string& processFolder)
{
    std::string link = processFolder + "exe";
    char target[PATH_MAX + 32];
    ssize_t length = readlink(link.c_str(), target, sizeof(target));
    if (length <= 0 || static_cast<size_t>(length) >= sizeof(target))
        return {};
    std::string_view path(target, static_cast<size_t>(length));
    std::string name(path.substr(path.rfind('/') + 1));
    constexpr std::string_view kDeleted = " (deleted)";
    if (name.size() > kDeleted.size() && std::string_view(name).ends_with(kDeleted)) {
        struct stat info {};
        if (stat(link.c_str(), &info) == 0 && info.st_nlink == 0)
            name.resize(name.size() - kDeleted.size());
    }
    return name;
}

// True when the process's real and effective uids are both `uid`.
bool RunsAs(const std::string& processFolder, uid_t uid)
{
    FILE* status = std::fopen((processFolder + "status").c_str(), "re");
    if (status == nullptr)
        return false;
    char line[256];
    bool owned = false;
    while (std::fgets(line, sizeof(line), status) != nullptr) {
        unsigned long real = 0, effective = 0;
        if (std::sscanf(line, "Uid: %lu %lu", &real, &effective) == 2) {
            owned = real == uid && effective == uid;
            break;
        }
    }
    std::fclose(status);
    return owned;
}

bool IsOwnProcessNamed(const std::string& processFolder, const std::string& exeName, uid_t uid)
{
    return ExecutableName(processFolder) == exeName && RunsAs(processFolder, uid);
}

// Waits until every pidfd reports its process's end or the time is up.
void WaitForPidfds(std::vector<int> pidfds, int waitMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (!pidfds.empty()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return;
        std::vector<pollfd> entries;
        for (int fd : pidfds)
            entries.push_back(pollfd{fd, POLLIN, 0});
        int ready = poll(entries.data(), entries.size(), static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR)
            return;
        std::vector<int> running;
        for (const pollfd& entry : entries) {
            if (entry.revents == 0)
                running.push_back(entry.fd);
        }
        pidfds = std::move(running);
    }
}

} // namespace

bool KillOwnProcessesNamed(const std::string& exeName, int waitMs)
{
    std::string proc = ProcFolder();
    DIR* dir = opendir(proc.c_str());
    if (dir == nullptr)
        return false;
    const uid_t uid = geteuid();
    const int self = getpid();
    std::vector<int> ended;
    while (dirent* entry = readdir(dir)) {
        int pid = 0;
        if (!ParsePid(entry->d_name, pid) || pid == self)
            continue;
        std::string processFolder = proc + entry->d_name + "/";
        if (!IsOwnProcessNamed(processFolder, exeName, uid))
            continue;
        int pidfd = PidfdOpen(pid);
        if (pidfd < 0) {
            // Without pidfds the check above is as close as kill(2) gets.
            if (errno != ESRCH)
                kill(pid, SIGKILL);
            continue;
        }
        // Checked again once the pid is held: a process that took over a
        // reused pid before the pidfd was opened is seen here, and one that
        // ends after it can no longer be reached through the pidfd.
        if (IsOwnProcessNamed(processFolder, exeName, uid) && PidfdKill(pidfd))
            ended.push_back(pidfd);
        else
            close(pidfd);
    }
    closedir(dir);
    WaitForPidfds(ended, waitMs);
    for (int pidfd : ended)
        close(pidfd);
    return true;
}

bool WaitForProcessEnd(int pid, int timeoutMs)
{
    int pidfd = PidfdOpen(pid);
    if (pidfd < 0)
        return errno == ESRCH;
    pollfd entry{pidfd, POLLIN, 0};
    int ready;
    do {
        ready = poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    close(pidfd);
    return ready > 0;
}

void SetProcFolderForTest(const std::string& folder)
{
    std::lock_guard<std::mutex> guard(procFolderMutex);
    procFolderOverride = folder;
}

} // namespace plat
