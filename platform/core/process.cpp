#include "platform/core/process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace plat {
namespace {

bool IsExecutableFile(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The path the program will be executed from; empty when a bare name is not
// found in $PATH. Done before fork: the child may only make
// async-signal-safe calls.
std::string ResolveProgram(const std::string& program)
{
    if (program.find('/') != std::string::npos)
        return program;
    const char* pathVariable = std::getenv("PATH");
    std::string path = pathVariable != nullptr ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        std::string folder = path.substr(start, end - start);
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
        if (IsExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

unsigned HighestDescriptorLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 1048576)
        return 1048576;
    return static_cast<unsigned>(limit.rlim_cur);
}

void CloseRange(unsigned first, unsigned last, unsigned limit)
{
    if (first > last)
        return;
    if (close_range(first, last, 0) == 0)
        return;
    for (unsigned fd = first; fd <= last && fd < limit; ++fd)
        close(static_cast<int>(fd));
}

[[noreturn]] void FailInChild(int statusFd)
{
    int error = errno;
    ssize_t ignored = write(statusFd, &error, sizeof(error));
    (void)ignored;
    _exit(127);
}

// The grandchild: async-signal-safe calls only, then exec.
[[noreturn]] void ExecDetached(const char* path, char* const* argv, int statusFd, unsigned limit)
{
    // Keep the status pipe clear of 0-2 before they are replaced.
    int status = fcntl(statusFd, F_DUPFD_CLOEXEC, 3);
    if (status < 0)
        FailInChild(statusFd);
    if (setsid() < 0)
        FailInChild(status);
    int null = open("/dev/null", O_RDWR);
    if (null < 0)
        FailInChild(status);
    for (int fd = 0; fd <= 2; ++fd) {
        if (null != fd && dup2(null, fd) < 0)
            FailInChild(status);
    }
    CloseRange(3, static_cast<unsigned>(status) - 1, limit);
    CloseRange(static_cast<unsigned>(status) + 1, ~0U, limit);

    sigset_t empty;
    sigemptyset(&empty);
    sigprocmask(SIG_SETMASK, &empty, nullptr);
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        sigaction(signal, &defaultAction, nullptr);

    execve(path, argv, environ);
    FailInChild(status);
}

bool ReadExecStatus(int fd, int& error)
{
    int value = 0;
    size_t got = 0;
    while (got < sizeof(value)) {
        ssize_t n = read(fd, reinterpret_cast<char*>(&value) + got, sizeof(value) - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    if (got == 0)
        return true; // closed by a successful exec
    error = got == sizeof(value) ? value : EIO;
    return false;
}

} // namespace

bool StartDetached(const std::vector<std::string>& argv, int* error)
{
    int failure = 0;
    auto fail = [&](int code) {
        if (error != nullptr)
            *error = code;
        return false;
    };
    if (argv.empty() || argv[0].empty())
        return fail(EINVAL);
    std::string path = ResolveProgram(argv[0]);
    if (path.empty())
        return fail(ENOENT);
    std::vector<char*> arguments;
    for (const std::string& argument : argv)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    unsigned limit = HighestDescriptorLimit();

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return fail(errno);
    pid_t child = fork();
    if (child < 0) {
        int code = errno;
        close(pipeFds[0]);
        close(pipeFds[1]);
        return fail(code);
    }
    if (child == 0) {
        // The middle process only forks the program and ends, so the program
        // is adopted by the system and never becomes our zombie.
        close(pipeFds[0]);
        pid_t grandchild = fork();
        if (grandchild < 0)
            FailInChild(pipeFds[1]);
        if (grandchild == 0)
            ExecDetached(path.c_str(), arguments.data(), pipeFds[1], limit);
        _exit(0);
    }
    close(pipeFds[1]);
    int waitStatus = 0;
    while (waitpid(child, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    bool started = ReadExecStatus(pipeFds[0], failure);
    close(pipeFds[0]);
    if (!started)
        return fail(failure);
    return true;
}

} // namespace plat
